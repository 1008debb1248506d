// The messages the control's Send_ members have the window build and send itself: no service
// object or transaction waits for their replies.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/text.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "secs/build.h"
#include "services/value_rules.h"
#include "ui/frm_main.h"

namespace kest {

namespace {

// Path + "\" + FileName as the equipment names it, with "\" read as the directory separator.
std::filesystem::path MapFile(const std::string& file_name, const std::string& path) {
    std::string joined = path + "\\" + file_name;
    std::replace(joined.begin(), joined.end(), '\\', '/');
    return joined;
}

// A new transaction of stream and function, its reply shell named for the reply.
std::shared_ptr<SecsTransaction> NewPrimary(GemContext& control, int stream, int function,
                                            SecsItem body) {
    auto trans = control.VortelToolOCX().CreateTransaction();
    SecsMessage& primary = trans->Primary();
    primary.SetStream(stream);
    primary.SetFunction(function);
    primary.SetReplyExpected(true);
    primary.RootItem().AddItem(std::move(body));
    trans->Secondary().SetStream(stream);
    trans->Secondary().SetFunction(function + 1);
    return trans;
}

SecsItem GemText(GemContext& control, const char* name, enmItemFormat format) {
    return ItemFromText(format, control.GemVar(name));
}

std::vector<std::int32_t> Ids(const std::string& list) {
    std::vector<std::int32_t> ids;
    if (Trim(list).empty()) return ids;
    for (std::string_view id : Split(list, ','))
        ids.push_back(Variant(std::string(id)).ToInt32());
    return ids;
}

}  // namespace

bool frmMain::Request_Download_Map(const std::string& file_name, const std::string&) {
    bool sent = false;
    Trapped("Request_Download_Map", [&](GemContext& control) {
        using namespace build;
        constexpr auto kText = enmItemFormat::FormatAscii;
        SecsItem body =
            L(GemText(control, "ObjectSpec", kText), GemText(control, "ObjectType", kText),
              L(A(file_name)),
              L(L(GemText(control, "AttributeID", kText), GemText(control, "AttributeData", kText),
                  GemText(control, "AttributeRelationship", enmItemFormat::FormatU1))),
              L(A("MapData")));
        sent = control.SendSECSTrans(NewPrimary(control, 14, 1, std::move(body)), "NULL");
    });
    return sent;
}

Variant frmMain::UploadMapData(const std::string& file_name, const std::string& path) {
    Variant sent(false);
    Trapped("UploadMapData", [&](GemContext& control) {
        const std::filesystem::path file = MapFile(file_name, path);
        if (!std::filesystem::is_regular_file(file)) return;
        control.SetGemVar("ObjectID", Variant(file_name));
        std::ifstream in(file, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
        SecsItem data(enmItemFormat::FormatBinary);
        data.SetData({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        using namespace build;
        SecsItem body = L(U2(1), U2(16), L(L(U2(7), L(std::move(data)))));
        sent = control.SendSECSTrans(NewPrimary(control, 6, 11, std::move(body)), "NULL");
    });
    return sent;
}

Variant frmMain::SendEventToHost(const std::string& ceid_text) {
    Variant sent(false);
    Trapped("SendEventToHost", [&](GemContext& control) {
        const std::int32_t ceid = Variant(ceid_text).ToInt32();
        const bool gem = ceid <= 100;
        GEMDB& db = control.Db();
        if (db.GetEventStatus(ceid, gem ? "secs_gemevent" : "secs_cusevent") == "False") {
            control.TriggerError(
                "frmMain:SendEventToHost", 4026,
                "CEID : " + std::to_string(ceid) + " is not enable. Cannot send event report.",
                __LINE__);
            return;
        }
        using namespace build;
        SecsItem reports;
        for (std::int32_t rptid : Ids(db.GetReportList(ceid))) {
            SecsItem values;
            for (std::int32_t vid : Ids(db.GetVIDList(rptid))) {
                auto record = db.VariableGetRecord(vid, gem);
                values.AddItem(record ? VariableValueItem(control, *record, gem) : SecsItem());
            }
            reports.AddItem(L(U4(rptid), std::move(values)));
        }
        SecsItem body = L(U4(1), U4(ceid), std::move(reports));
        sent = control.SendSECSTrans(NewPrimary(control, 6, 11, std::move(body)), "NULL");
    });
    return sent;
}

}  // namespace kest
