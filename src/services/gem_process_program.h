#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kest {

class GemContext;

/// Process program transfer started by the equipment: asks the host to take a program from a
/// directory (S7F1, then S7F3), to send one into a directory (S7F5), or to delete programs
/// (S7F17). Every request needs the port open (error 4019), communication established (4020)
/// and the control online (4021); the outcome comes as a `MethodNotification`.
class GEMProcessProgram : public std::enable_shared_from_this<GEMProcessProgram> {
  public:
    /// Attaches the control (the control's factory member does it).
    void SetParent(std::weak_ptr<GemContext> parent) { parent_ = std::move(parent); }

    /// The program of the last upload or download request; "NULL" before one.
    const std::string& PPID() const noexcept { return ppid_; }
    void SetPPID(std::string ppid) { ppid_ = std::move(ppid); }
    /// The length announced by the last upload request.
    std::int32_t LENGTH() const noexcept { return length_; }
    void SetLENGTH(std::int32_t length) noexcept { length_ = length; }
    /// The directory a program is uploaded from; "NULL" before a request.
    const std::string& PPIDSENTPATH() const noexcept { return sent_path_; }
    void SetPPIDSENTPATH(std::string path) { sent_path_ = std::move(path); }
    /// The directory a program is downloaded into; "NULL" before a request.
    const std::string& PPIDRECEIVEPATH() const noexcept { return receive_path_; }
    void SetPPIDRECEIVEPATH(std::string path) { receive_path_ = std::move(path); }
    /// The last requesting method ("RecipeDelete", "RecipeUploadToHost", ...).
    const std::string& RequestingMethod() const noexcept { return method_; }
    /// The identifiers of the last `RecipeDelete`, as split from its argument.
    const std::vector<std::string>& DeleteList() const noexcept { return delete_list_; }

    /// Asks the host to delete every process program (S7F17 with no identifier).
    bool AllRecipeDelete();
    /// Asks the host to delete the programs named in `PPIDList`, separated by "," and taken
    /// as they are (blanks kept). Error 4010 when the list is empty.
    bool RecipeDelete(const std::string& PPIDList);
    /// Requests program `PPID` (S7F5) and writes it below `PPIDRECEIVEPATH` when it comes.
    /// Errors 4012 (empty PPID), 4013 (empty path), 4014 (no such directory).
    bool RecipeDownloadFromHost(const std::string& PPID, const std::string& PPIDRECEIVEPATH);
    /// Offers the host program `PPID` of `LENGTH` bytes from below `PPIDSENTPATH` (S7F1) and
    /// sends it when granted (S7F3). Errors 4015 (empty PPID), 4016 (LENGTH not above 0),
    /// 4017 (empty path), 4018 (no such directory), 4027 (no such file).
    bool RecipeUploadToHost(const std::string& PPID, std::int32_t LENGTH,
                            const std::string& PPIDSENTPATH);

  private:
    template <typename Action>
    bool Start(GemContext& control, const char* method);

    std::weak_ptr<GemContext> parent_;
    std::string ppid_ = "NULL";
    std::int32_t length_ = 0;
    std::string sent_path_ = "NULL";
    std::string receive_path_ = "NULL";
    std::string method_;
    std::vector<std::string> delete_list_;
};

}  // namespace kest
