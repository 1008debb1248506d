#include "services/gem_process_program.h"

#include <filesystem>
#include <system_error>

#include "base/recipe_path.h"
#include "base/text.h"
#include "core/gem_context.h"
#include "core/state_model.h"
#include "services/ed_recipe_delete.h"
#include "services/ed_recipe_download.h"
#include "services/ed_recipe_upload.h"

namespace kest {

namespace {

bool Refuse(GemContext& control, const char* source, int number, const std::string& text,
            int line) {
    control.TriggerError(source, number, text, line);
    return false;
}

// The messages go to the driver directly, past the checks of the control's send routine, so
// every request makes them here: port, communication, control state, in that order.
bool MaySend(GemContext& control, const char* source) {
    if (control.Setting("PortOpened") != "TRUE") {
        return Refuse(control, source, 4019, "Invalid port connect state to perform this task.",
                      __LINE__);
    }
    if (control.State().Comm() != GEM_COMMSTATE::ENABLE_COMM) {
        return Refuse(control, source, 4020, "Invalid communication state to perform this task.",
                      __LINE__);
    }
    if (!control.State().Online()) {
        return Refuse(control, source, 4021, "Invalid control state to perform this task.",
                      __LINE__);
    }
    return true;
}

bool IsDirectory(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}

bool IsProgramFile(const std::string& directory, const std::string& ppid) {
    auto file = RecipeFilePath(directory, ppid);
    std::error_code ignored;
    return file && std::filesystem::is_regular_file(*file, ignored);
}

}  // namespace

template <typename Action>
bool GEMProcessProgram::Start(GemContext& control, const char* method) {
    method_ = method;
    auto action = std::make_shared<Action>(control.NewTID());
    action->SetParent(control.weak_from_this());
    // Registered before its message goes out (see GEMEventReport::Start).
    control.AddEDAction(action);
    action->SetSource(shared_from_this());
    return true;
}

bool GEMProcessProgram::AllRecipeDelete() {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMProcessProgram:AllRecipeDelete";
    return RunTrapped(control.get(), source, [&] {
        if (!MaySend(*control, source)) return false;
        return Start<EDRecipeDelete>(*control, "AllRecipeDelete");
    });
}

bool GEMProcessProgram::RecipeDelete(const std::string& PPIDList) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMProcessProgram:RecipeDelete";
    return RunTrapped(control.get(), source, [&] {
        if (!MaySend(*control, source)) return false;
        if (PPIDList.empty()) {
            return Refuse(*control, source, 4010,
                          "No PPID parameter in [GEMProcessProgram.RecipeDelete].", __LINE__);
        }
        delete_list_.clear();
        for (std::string_view piece : Split(PPIDList, ','))
            delete_list_.emplace_back(piece);
        return Start<EDRecipeDelete>(*control, "RecipeDelete");
    });
}

bool GEMProcessProgram::RecipeDownloadFromHost(const std::string& PPID,
                                               const std::string& PPIDRECEIVEPATH) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMProcessProgram:RecipeDownloadFromHost";
    return RunTrapped(control.get(), source, [&] {
        if (!MaySend(*control, source)) return false;
        ppid_ = PPID;
        receive_path_ = PPIDRECEIVEPATH;
        if (PPID.empty()) {
            return Refuse(
                *control, source, 4012,
                "Invalid value PPID parameter in [GEMProcessProgram.RecipeDownloadFromHost].",
                __LINE__);
        }
        if (PPIDRECEIVEPATH.empty()) {
            return Refuse(*control, source, 4013,
                          "Invalid value PPIDRECEIVEPATH parameter in "
                          "[GEMProcessProgram.RecipeDownloadFromHost].",
                          __LINE__);
        }
        if (!IsDirectory(PPIDRECEIVEPATH)) {
            return Refuse(*control, source, 4014,
                          PPIDRECEIVEPATH +
                              " directory not exist in [GEMProcessProgram.RecipeDownloadFromHost].",
                          __LINE__);
        }
        return Start<EDRecipeDownload>(*control, "RecipeDownloadFromHost");
    });
}

bool GEMProcessProgram::RecipeUploadToHost(const std::string& PPID, std::int32_t LENGTH,
                                           const std::string& PPIDSENTPATH) {
    auto control = parent_.lock();
    if (!control) return false;
    const char* source = "GEMProcessProgram:RecipeUploadToHost";
    return RunTrapped(control.get(), source, [&] {
        if (!MaySend(*control, source)) return false;
        ppid_ = PPID;
        length_ = LENGTH;
        sent_path_ = PPIDSENTPATH;
        if (PPID.empty()) {
            return Refuse(*control, source, 4015,
                          "Invalid value PPID parameter in [GEMProcessProgram.RecipeUploadToHost].",
                          __LINE__);
        }
        if (LENGTH <= 0) {
            return Refuse(
                *control, source, 4016,
                "Invalid value LENGTH parameter in [GEMProcessProgram.RecipeUploadToHost].",
                __LINE__);
        }
        if (PPIDSENTPATH.empty()) {
            return Refuse(
                *control, source, 4017,
                "Invalid value PPIDSENTPATH parameter in [GEMProcessProgram.RecipeUploadToHost].",
                __LINE__);
        }
        if (!IsDirectory(PPIDSENTPATH)) {
            return Refuse(
                *control, source, 4018,
                PPIDSENTPATH + " directory not exist in [GEMProcessProgram.RecipeUploadToHost].",
                __LINE__);
        }
        if (!IsProgramFile(PPIDSENTPATH, PPID)) {
            return Refuse(*control, source, 4027,
                          PPID + " not exist in [GEMProcessProgram.RecipeUploadToHost].", __LINE__);
        }
        return Start<EDRecipeUpload>(*control, "RecipeUploadToHost");
    });
}

}  // namespace kest
