#include "ui/console_page.h"

namespace kest {

namespace {

constexpr std::string_view kPage = R"PAGE(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>Kest GEM console</title>
<style>
  :root { --ok: #1b7f3b; --off: #9a1c1c; --line: #d5d9de; --muted: #5b6470; }
  * { box-sizing: border-box; }
  body { margin: 0; font: 14px/1.4 system-ui, sans-serif; color: #1d232a; background: #f4f6f8; }
  header { display: flex; flex-wrap: wrap; gap: 12px; align-items: center; padding: 10px 16px;
           background: #1d2a38; color: #fff; }
  header h1 { font-size: 16px; margin: 0 12px 0 0; }
  .state { background: #2c3e50; border-radius: 4px; padding: 4px 8px; }
  .state b { display: block; font-size: 11px; color: #b9c4cf; font-weight: normal; }
  .good { color: #7be39a; } .bad { color: #ff9c9c; }
  main { display: grid; grid-template-columns: repeat(auto-fit, minmax(360px, 1fr)); gap: 12px;
         padding: 12px; }
  section { background: #fff; border: 1px solid var(--line); border-radius: 6px; padding: 10px 12px; }
  section h2 { font-size: 14px; margin: 0 0 8px; }
  label { display: block; margin: 4px 0; }
  input[type=text], input[type=password] { width: 100%; padding: 4px; }
  button { margin: 2px 4px 2px 0; padding: 4px 10px; }
  table { border-collapse: collapse; width: 100%; font-size: 13px; }
  th, td { border-bottom: 1px solid var(--line); text-align: left; padding: 2px 4px; }
  pre { background: #0f1720; color: #d6e2ee; padding: 6px; max-height: 260px; overflow: auto;
        font-size: 12px; white-space: pre-wrap; }
  .notice { min-height: 1.4em; color: var(--muted); }
  .notice.warn { color: var(--off); font-weight: 600; }
  .admin-only[disabled], fieldset[disabled] { opacity: .55; }
  fieldset { border: 0; padding: 0; margin: 0; }
</style>
</head>
<body>
<header>
  <h1>Kest GEM console</h1>
  <div class="state"><b>Connection</b><span id="connection">-</span></div>
  <div class="state"><b>Communication</b><span id="comm">-</span></div>
  <div class="state"><b>Control</b><span id="control">-</span></div>
  <div class="state"><b>Process</b><span id="process">-</span></div>
  <div class="state"><b>Spool</b><span id="spool">-</span></div>
  <div class="state"><b>Live</b><span id="live">connecting</span></div>
</header>
<main>
<section>
  <h2>Administrator</h2>
  <form id="login">
    <label>Password <input type="password" id="password" autocomplete="current-password"></label>
    <button type="submit" id="loginButton">Login</button>
    <button type="button" id="logoutButton">Logout</button>
  </form>
  <div class="notice" id="loginNotice"></div>
</section>
<section>
  <h2>Switches</h2>
  <fieldset class="admin" disabled>
    <button data-switch="communication-on">Enable communication</button>
    <button data-switch="communication-off">Disable communication</button><br>
    <button data-switch="online">Online</button>
    <button data-switch="offline">Offline</button>
    <button data-switch="local">Local</button>
    <button data-switch="remote">Remote</button>
  </fieldset>
  <div class="notice" id="switchNotice"></div>
</section>
<section>
  <h2>Communication</h2>
  <fieldset class="admin" disabled>
  <form data-action="communication">
    <label>Establish Communication Timeout (s) <input type="text" name="timeout" id="timeout"></label>
    <label>HeartBeat (s) <input type="text" name="heartbeat" id="heartbeat"></label>
    <label><input type="checkbox" name="enabled" id="initComm"> Communication enabled at start-up</label>
    <button type="submit" id="saveCommunication">Save</button>
  </form>
  </fieldset>
  <div class="notice" id="communicationNotice"></div>
</section>
<section>
  <h2>Options</h2>
  <fieldset class="admin" disabled id="options">
    <label><input type="checkbox" data-option="InitControlState"> Online at start-up</label>
    <label><input type="checkbox" data-option="OfflineSubstate"> Offline means host offline</label>
    <label><input type="checkbox" data-option="OnlineSubstate"> Online means remote</label>
    <label><input type="checkbox" data-option="OnlineFailed"> A failed online goes host offline</label>
    <label><input type="checkbox" data-option="WBits5"> W-bit on S5F1</label>
    <label><input type="checkbox" data-option="WBits6"> W-bit on S6F11</label>
    <label><input type="checkbox" data-option="WBits10"> W-bit on S10F1</label>
    <label><input type="checkbox" data-option="ConfigSpool"> Spooling enabled</label>
    <label><input type="checkbox" data-option="OverWriteSpool"> Overwrite a full spool</label>
  </fieldset>
</section>
<section>
  <h2>Spool, recipes, equipment</h2>
  <fieldset class="admin" disabled>
  <form data-action="spool">
    <label>Maximum Message Count <input type="text" name="count" id="spoolCount"></label>
    <button type="submit">Save spool</button>
  </form>
  <form data-action="recipe">
    <label>Recipe directory <input type="text" name="directory" id="ppDirectory"></label>
    <label>File extension <input type="text" name="extension" id="ppFileExt"></label>
    <button type="submit">Save recipes</button>
  </form>
  <form data-action="options">
    <label>Equipment name <input type="text" name="name" id="eqName"></label>
    <label>Model <input type="text" name="model" id="eqModel"></label>
    <label>Software revision <input type="text" name="revision" id="eqRevision"></label>
    <label>Time format <select name="timeFormat" id="timeFormat">
      <option>12 Bytes</option><option>16 Bytes</option></select></label>
    <button type="submit">Save equipment</button>
  </form>
  <form data-action="password">
    <label>New administrator password <input type="password" name="password" autocomplete="new-password"></label>
    <button type="submit">Change password</button>
  </form>
  </fieldset>
  <div class="notice" id="settingsNotice"></div>
</section>
<section>
  <h2>Events and alarms</h2>
  <table id="events"><thead><tr><th>Event ID</th><th>Event Name</th></tr></thead><tbody></tbody></table>
  <table id="alarms"><thead><tr><th>Alarm ID</th><th>Alarm Name</th><th>State</th></tr></thead><tbody></tbody></table>
  <table id="setAlarms"><thead><tr><th>Alarm ID</th><th>Alarm Name</th></tr></thead><tbody></tbody></table>
</section>
<section>
  <h2>Traces and limits</h2>
  <table id="traces"><thead><tr><th>TRID</th><th>DSPER</th><th>TOTSMP</th><th>REPGSZ</th><th>SMP NO</th><th>TIMER</th><th>VIDS</th></tr></thead><tbody></tbody></table>
  <table id="limits"><thead><tr><th>Limit ID</th><th>Variable ID</th><th>Lower Data Bound</th><th>Upper Data Bound</th><th>Transition Type</th></tr></thead><tbody></tbody></table>
</section>
<section>
  <h2>Notifications</h2>
  <label>Filter <input type="text" id="filter" placeholder="text or ERROR / METHOD / EVENT / COMMAND"></label>
  <pre id="notes"></pre>
  <h2>Results and terminal messages</h2>
  <pre id="results"></pre>
  <pre id="terminal"></pre>
  <fieldset class="admin" disabled>
  <form data-action="terminal">
    <label>Terminal message to the host <input type="text" name="text" id="terminalText"></label>
    <button type="submit">Send</button>
    <button type="button" id="clearTerminal">Clear messages</button>
  </form>
  </fieldset>
  <div class="notice" id="terminalNotice"></div>
</section>
<section>
  <h2>Logs</h2>
  <button data-log="service">Service log</button>
  <button data-log="secsii">SECS-II log</button>
  <a id="download" href="#">download</a>
  <pre id="log"></pre>
</section>
</main>
<script>
"use strict";
const $ = (id) => document.getElementById(id);
let admin = false, editing = new Set(), notes = [];

function text(id, value) { $(id).textContent = value || "-"; }
function rows(id, list) {
  const body = $(id).tBodies[0];
  body.replaceChildren(...list.map((row) => {
    const tr = document.createElement("tr");
    for (const cell of row) { const td = document.createElement("td"); td.textContent = cell; tr.appendChild(td); }
    return tr;
  }));
}
function field(id, value) { if (!editing.has(id)) $(id).value = value; }

function render(s) {
  text("connection", s.connection); text("comm", s.comm); text("control", s.control);
  text("process", s.process);
  text("spool", s.spool.state + " / " + s.spool.load + " / " + s.spool.unload + " (" + s.spool.actual + ")");
  $("comm").className = s.comm === "Communicating" ? "good" : "bad";
  rows("events", s.lists.events); rows("alarms", s.lists.alarms); rows("setAlarms", s.lists.setAlarms);
  rows("traces", s.lists.traces); rows("limits", s.lists.limits);
  const st = s.settings;
  field("timeout", st.EstablishCommunicationTimeout); field("heartbeat", st.HeartBeat);
  $("initComm").checked = st.InitCommState;
  field("spoolCount", st.MaxSpoolTransmit); field("ppDirectory", st.PPDirectory); field("ppFileExt", st.PPFileExt);
  field("eqName", s.equipment.name); field("eqModel", s.equipment.model); field("eqRevision", s.equipment.revision);
  for (const box of document.querySelectorAll("[data-option]")) box.checked = !!st[box.dataset.option];
  $("results").textContent = s.results.join("\n");
  $("terminal").textContent = s.terminal;
}

function setAdmin(on) {
  admin = on;
  for (const f of document.querySelectorAll("fieldset.admin")) f.disabled = !on;
  $("loginButton").disabled = on; $("logoutButton").disabled = !on;
}

function notice(id, body, ok) {
  const el = $(id);
  el.textContent = body.notice || body.error || (ok ? "Done." : "Refused.");
  el.className = "notice" + (ok ? "" : " warn");
}

async function post(path, body) {
  const res = await fetch(path, { method: "POST", credentials: "same-origin",
    headers: { "Content-Type": "application/json" }, body: JSON.stringify(body) });
  let json = {};
  try { json = await res.json(); } catch (e) { json = { error: "HTTP " + res.status }; }
  if (res.status === 401 && path.startsWith("/api/action")) setAdmin(false);
  return { ok: res.ok, body: json };
}

$("login").addEventListener("submit", async (e) => {
  e.preventDefault();
  const r = await post("/api/login", { password: $("password").value });
  $("password").value = "";
  notice("loginNotice", r.body, r.ok);
  setAdmin(r.ok);
});
$("clearTerminal").addEventListener("click", async () => {
  const r = await post("/api/action/clear", {});
  notice("terminalNotice", r.body, r.ok);
});
$("logoutButton").addEventListener("click", async () => {
  await post("/api/logout", {});
  setAdmin(false);
  notice("loginNotice", { notice: "Logged out." }, true);
});
for (const b of document.querySelectorAll("[data-switch]")) {
  b.addEventListener("click", async () => {
    const r = await post("/api/action/switch", { to: b.dataset.switch });
    notice("switchNotice", r.body, r.ok);
  });
}
for (const box of document.querySelectorAll("[data-option]")) {
  box.addEventListener("change", async () => {
    const r = await post("/api/action/option", { name: box.dataset.option, on: box.checked });
    notice("settingsNotice", r.body, r.ok);
  });
}
for (const form of document.querySelectorAll("form[data-action]")) {
  form.addEventListener("submit", async (e) => {
    e.preventDefault();
    const body = {};
    for (const el of form.elements) {
      if (!el.name) continue;
      body[el.name] = el.type === "checkbox" ? el.checked : el.value;
    }
    const r = await post("/api/action/" + form.dataset.action, body);
    const targets = { communication: "communicationNotice", terminal: "terminalNotice" };
    const target = targets[form.dataset.action] || "settingsNotice";
    notice(target, r.body, r.ok);
    if (r.ok) for (const el of form.elements) editing.delete(el.id);
    else if (r.body.field) {
      const el = form.querySelector("[name]"); if (el) el.focus();
    }
  });
  for (const el of form.elements) {
    if (el.id) el.addEventListener("input", () => editing.add(el.id));
  }
}
for (const b of document.querySelectorAll("[data-log]")) {
  b.addEventListener("click", async () => {
    const res = await fetch("/api/log?lines=200&name=" + b.dataset.log, { credentials: "same-origin" });
    $("log").textContent = await res.text();
    $("download").href = "/api/log?download=1&name=" + b.dataset.log;
  });
}
function showNotes() {
  const f = $("filter").value.toLowerCase();
  $("notes").textContent = notes.filter((n) => !f || (n.kind + " " + n.line).toLowerCase().includes(f))
    .map((n) => n.line).join("\n");
}
$("filter").addEventListener("input", showNotes);

async function start() {
  const res = await fetch("/api/state", { credentials: "same-origin" });
  if (res.ok) { const s = await res.json(); setAdmin(s.admin); render(s); }
  const events = new EventSource("/api/events");
  events.addEventListener("state", (e) => render(JSON.parse(e.data)));
  events.addEventListener("note", (e) => {
    notes.push(JSON.parse(e.data)); if (notes.length > 500) notes.shift(); showNotes();
  });
  events.onopen = () => { text("live", "live"); };
  events.onerror = () => { text("live", "reconnecting"); };
}
start();
</script>
</body>
</html>
)PAGE";

}  // namespace

std::string_view ConsolePage() {
    return kPage;
}

}  // namespace kest
