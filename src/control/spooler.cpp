// Spooling: a primary that cannot reach the host is held, within the spool's capacity, until
// the host asks for it (S6F23).
#include "control/control_core.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

std::string Now16(const ControlCore& control) {
    return FormatLocal(control.GetClock()->Now(), "yyyymmddhhnnss00");
}

bool Spoolable(kest::GEMDB& db, const SecsMessage& primary) {
    auto row = db.SFGetRecord(primary.Stream(), primary.Function());
    return row && row->spool_enable;
}

}  // namespace

void ControlCore::SpoolChecking() {
    RunTrapped(this, "KestServer:SpoolChecking", [&] {
        if (Variant(GemVar("ConfigSpool")).ToInt32() == 0) return;
        if (state_.Spool() != GEM_SPOOLSTATE::SPOOL_INACTIVE) return;
        if (!state_.SetSpool(GEM_SPOOLSTATE::SPOOL_ACTIVE)) return;
        spool_.clear();
        SetGemVar("SpoolStartTime", Now16(*this));
        SetGemVar("SpoolCountTotal", 0);
        state_.SetSpoolUnload(GEM_SPOOLSTATE::SPOOL_NO_OUTPUT);
        state_.SetSpoolLoad(GEM_SPOOLSTATE::SPOOL_NOT_FULL);
        ReportEvent("GemSpoolingActivated");
    });
}

void ControlCore::SpoolOffer(const std::shared_ptr<SecsTransaction>& trans) {
    RunTrapped(this, "KestServer:SpoolOffer", [&] {
        // Not spooling: the message is dropped.
        if (state_.Spool() != GEM_SPOOLSTATE::SPOOL_ACTIVE) return;
        kest::GEMDB& db = Db();
        bool spoolable = Spoolable(db, trans->Primary());
        bool overwrite = GemVar("OverWriteSpool") == "TRUE";
        bool appended = false;
        if (state_.SpoolLoad() == GEM_SPOOLSTATE::SPOOL_NOT_FULL) {
            Variant capacity =
                db.VariableGetField("MaxSpoolTransmit", FLDID_VARIABLE::VAR_MAX, true);
            if (spool_.size() < static_cast<std::size_t>(std::max(capacity.ToInt32(), 0))) {
                if (spoolable) {
                    spool_.push_back(trans);
                    appended = true;
                }
            } else {
                state_.SetSpoolLoad(GEM_SPOOLSTATE::SPOOL_FULL);
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
        state_.SpoolChanged();
    });
}

}  // namespace kest
