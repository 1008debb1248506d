#include "host/stream14_handlers.h"

#include <optional>
#include <string>

#include "base/error.h"
#include "base/file_write.h"
#include "core/gem_context.h"
#include "driver/secs_transaction.h"
#include "gemdb/gemdb.h"
#include "host/stream9_senders.h"
#include "queue/queue_store.h"
#include "secs/item.h"

namespace kest {

namespace {

// What the handler uses of L,2 {L,n {L,2 {OBJID, L,a {L,2 {ATTRID, ATTRDATA}}}},
// L,2 {OBJACK, L,p {L,2 {ERRCODE, ERRTEXT}}}}: the first object, attribute and error.
struct AttributeData {
    std::string objid;
    const SecsItem* data = nullptr;  // ATTRDATA of the first attribute, when there is one
    int objack = 0;
    std::string error_text;  // of the first error
    bool has_errors = false;
};

bool IsListOf(const SecsItem& item, std::size_t count) {
    return item.IsList() && item.Count() == count;
}

bool HasFormat(const SecsItem& item, enmItemFormat format) {
    return !item.IsList() && item.Format() == format;
}

// The first object's name and data; false when its shape or formats are wrong.
bool ReadFirstObject(const SecsItem& objects, AttributeData& read) {
    if (objects.Count() == 0) return true;
    const SecsItem& object = objects.Item(1);
    if (!IsListOf(object, 2) || !HasFormat(object.Item(1), enmItemFormat::FormatAscii)) {
        return false;
    }
    read.objid = std::string(object.Item(1).Text());
    const SecsItem& attributes = object.Item(2);
    if (!attributes.IsList()) return false;
    if (attributes.Count() == 0) return true;
    const SecsItem& attribute = attributes.Item(1);
    if (!IsListOf(attribute, 2) || !HasFormat(attribute.Item(1), enmItemFormat::FormatAscii) ||
        !HasFormat(attribute.Item(2), enmItemFormat::FormatBinary)) {
        return false;
    }
    read.data = &attribute.Item(2);
    return true;
}

std::optional<AttributeData> Read(const SecsMessage& reply) {
    const SecsItem& root = reply.RootItem();
    if (root.BodyCount() != 1 || !IsListOf(root.Item(1), 2)) return std::nullopt;
    const SecsItem& body = root.Item(1);
    const SecsItem& status = body.Item(2);
    if (!body.Item(1).IsList() || !IsListOf(status, 2)) return std::nullopt;
    AttributeData read;
    if (!ReadFirstObject(body.Item(1), read)) return std::nullopt;
    const SecsItem& objack = status.Item(1);
    const SecsItem& errors = status.Item(2);
    if (!HasFormat(objack, enmItemFormat::FormatU1) || objack.Count() != 1 || !errors.IsList()) {
        return std::nullopt;
    }
    read.objack = static_cast<int>(objack.Value().ToInt64());
    read.has_errors = errors.Count() > 0;
    if (read.has_errors) {
        const SecsItem& error = errors.Item(1);
        if (!IsListOf(error, 2) || !HasFormat(error.Item(2), enmItemFormat::FormatAscii)) {
            return std::nullopt;
        }
        read.error_text = std::string(error.Item(2).Text());
    }
    return read;
}

// The object's bytes become a file of the recipe directory; the name may not lead outside it.
void WriteObject(GemContext& control, const AttributeData& read) {
    const std::string directory = control.Db().GetRecipePath();
    if (!IsPlainFileName(read.objid)) {
        throw KestException(kPathFileAccessError,
                            "Object name " + read.objid + " is not a file name of the directory.");
    }
    if (directory == "NULL" || !std::filesystem::is_directory(directory)) {
        throw KestException(kPathFileAccessError, "Recipe directory " + directory + " not found.");
    }
    WriteFileAtomically(std::filesystem::path(directory) / read.objid, read.data->Text());
}

}  // namespace

void ReplyS14F2(GemContext& control, const std::shared_ptr<SecsTransaction>& trans) {
    const SecsMessage& reply = trans->Secondary();
    const std::optional<AttributeData> read = Read(reply);
    const bool success = read && read->objack == 0 && !read->has_errors;
    // A success must carry the data it reports.
    if (!read || (success && read->data == nullptr)) {
        SendS9F7(control, trans->DeviceID(), reply.Stream(), reply.Function());
        return;
    }
    if (!success) {
        control.SendMsg(read->objid + ":" + read->error_text, kAcknowledgeQueuePath);
        return;
    }
    WriteObject(control, *read);
    control.SetGemVar("ObjectID", Variant(read->objid));
    control.SendMsg(read->objid + ":Downloaded", kAcknowledgeQueuePath);
}

}  // namespace kest
