// Spooling: a primary that cannot reach the host is held, within the spool's capacity, until
// the host asks for it (S6F23).
#include "control/kest_server.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

std::string Now16(KestServer& control) {
    return FormatLocal(control.GetClock()->Now(), "yyyymmddhhnnss00");
}

bool Spoolable(kest::GEMDB& db, const SecsMessage& primary) {
    auto row = db.SFGetRecord(primary.Stream(), primary.Function());
    return row && row->spool_enable;
}

}  // namespace

void KestServer::SpoolChecking() {
    RunTrapped(this, "KestServer:SpoolChecking", [&] {
        if (Variant(GemVar("ConfigSpool")).ToInt32() == 0) return;
        if (GemVar("SpoolState") != "2") return;
        if (!SetGemVar("SpoolState", 1)) return;
        spool_.clear();
        SetGemVar("SpoolStartTime", Now16(*this));
        SetGemVar("SpoolCountTotal", 0);
        SetGemVar("SpoolUnloadSubstate", 5);
        SetGemVar("SpoolLoadSubstate", 6);
        ReportEvent("GemSpoolingActivated");
    });
}

void KestServer::SpoolOffer(const std::shared_ptr<SecsTransaction>& trans) {
    RunTrapped(this, "KestServer:SpoolOffer", [&] {
        if (GemVar("SpoolState") != "1") return;  // not spooling: the message is dropped
        kest::GEMDB& db = Db();
        bool spoolable = Spoolable(db, trans->Primary());
        bool overwrite = GemVar("OverWriteSpool") == "TRUE";
        bool appended = false;
        if (GemVar("SpoolLoadSubstate") == "6") {
            Variant capacity =
                db.VariableGetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_MAX, true);
            if (spool_.size() < static_cast<std::size_t>(std::max(capacity.ToInt32(), 0))) {
                if (spoolable) {
                    spool_.push_back(trans);
                    appended = true;
                }
            } else {
                SetGemVar("SpoolLoadSubstate", 7);
                SetGemVar("SpoolFullTime", Now16(*this));
                if (overwrite && spoolable) {
                    if (!spool_.empty()) spool_.pop_front();
                    spool_.push_back(trans);
                    appended = true;
                }
            }
        } else if (overwrite && spoolable) {
            if (!spool_.empty()) spool_.pop_front();
            spool_.push_back(trans);
            appended = true;
        }
        if (!appended) return;
        SetGemVar("SpoolCountTotal", Variant(GemVar("SpoolCountTotal")).ToInt32() + 1);
        if (window_) window_->RefreshSpoolStatus();
    });
}

}  // namespace kest
