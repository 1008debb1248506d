#!/usr/bin/python3
"""The web console in a real browser: Debian's chromium, headless, driven through
chromium-driver. It opens the console of a running sample equipment, logs in, switches the
control state, watches a host's S1F17 change it on the page without a reload, saves a
communication value and reads it back from the database, and sees the warning of a bad value.
Screenshots go to <build>/browser/.

Usage: console_browser_test.py BUILD_DIR
"""
import os
import re
import sqlite3
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

WAIT_S = 20  # an upper bound only: every wait ends as soon as its condition holds


def start_equipment(build, data_dir):
    proc = subprocess.Popen(
        [os.path.join(build, "apps", "kest-equipment"), "--port", "0", "--console", "0",
         "--data-dir", data_dir, "--log-level", "error"],
        stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    hsms = console = None
    for line in proc.stdout:
        m = re.search(r"console at (http://[0-9.]+:[0-9]+/)", line)
        if m:
            console = m.group(1)
        m = re.search(r"listening for a host on port ([0-9]+)", line)
        if m:
            hsms = int(m.group(1))
        if hsms and console:
            return proc, hsms, console
    raise RuntimeError("the sample equipment did not start")


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                "--window-size=1400,1800"):
        options.add_argument(arg)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def heartbeat(db_file):
    with sqlite3.connect(db_file) as db:
        return db.execute("SELECT var_val FROM secs_gemvar WHERE var_name = 'HeartBeat'").fetchone()[0]


def main():
    build = sys.argv[1]
    shots = os.path.join(build, "browser")
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="kest-browser-")
    data_dir = os.path.join(work, "data")
    equipment, hsms_port, url = start_equipment(build, data_dir)
    page = browser()
    wait = WebDriverWait(page, WAIT_S)

    def text(element_id):
        return page.find_element(By.ID, element_id).text

    def shows(element_id, expected):
        wait.until(lambda _: expected in text(element_id),
                   message=f"#{element_id} never showed {expected!r}")

    try:
        page.get(url)
        shows("live", "live")
        page.find_element(By.ID, "password").send_keys("kestadmin")
        page.find_element(By.ID, "loginButton").click()
        shows("loginNotice", "Done.")

        # Offline is to mean host offline, so the host may bring us back online.
        box = page.find_element(By.CSS_SELECTOR, "[data-option=OfflineSubstate]")
        if not box.is_selected():
            box.click()
            shows("settingsNotice", "Done.")
        for switch, state in (("local", "Online Local"), ("remote", "Online Remote")):
            page.find_element(By.CSS_SELECTOR, f"[data-switch={switch}]").click()
            shows("control", state)
        page.save_screenshot(os.path.join(shots, "console-remote.png"))
        page.find_element(By.CSS_SELECTOR, "[data-switch=offline]").click()
        shows("control", "Host Offline")

        # The host asks to go online; the page follows without a reload.
        host = subprocess.run(
            [os.path.join(build, "apps", "kest-host"), "--connect", f"127.0.0.1:{hsms_port}",
             "--timeout", "10000", "--quiet", "S1F17 W"],
            capture_output=True, text=True, timeout=60)
        if host.returncode != 0:
            raise RuntimeError("kest-host failed: " + host.stdout + host.stderr)
        shows("control", "Online")
        shows("comm", "Communicating")

        field = page.find_element(By.ID, "heartbeat")
        field.clear()
        field.send_keys("7")
        page.find_element(By.ID, "saveCommunication").click()
        shows("communicationNotice", "Communication Setting Updated.")
        db_file = os.path.join(data_dir, "GEM.mdb")
        if heartbeat(db_file) != "7":
            raise RuntimeError("the heartbeat was not saved: " + heartbeat(db_file))

        field.clear()
        field.send_keys("61")
        page.find_element(By.ID, "saveCommunication").click()
        shows("communicationNotice", "HeartBeat cannot exceed than 60 second!")
        if heartbeat(db_file) != "7":
            raise RuntimeError("a refused value was saved")
        page.save_screenshot(os.path.join(shots, "console-warning.png"))
        print("console browser test passed; screenshots in " + shots)
    except Exception:
        page.save_screenshot(os.path.join(shots, "console-failure.png"))
        raise
    finally:
        page.quit()
        equipment.terminate()
        equipment.wait(timeout=30)


if __name__ == "__main__":
    main()
