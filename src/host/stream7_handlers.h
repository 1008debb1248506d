#pragma once

#include <memory>

namespace kest {

class GemContext;
class SecsTransaction;

// The host's process program messages, working in the recipe directory ("PPDirectory"). A PPID
// keeps "\" between folders on the wire; one that would leave the directory is taken as naming a
// folder that does not exist.

/// S7F1 load inquire L,2 {A PPID, U4 LENGTH} -> S7F2 PPGNT: 5 without a recipe directory,
/// 2 when its file system is full, 3 for an empty PPID, 5 for a missing folder or a LENGTH of 0,
/// 2 for a LENGTH above the largest program; 0 grants it: the program is expected within
/// T3Timeout seconds and ("GEMProcessProgram", "Grant") is raised. S9F11 for a list not of two,
/// S9F7 for wrong formats.
void ReplyS7F1(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S7F3 program send L,2 {A PPID, B PPBODY} -> S7F4 ACKC7: 1 without a recipe directory, 64 for a
/// missing folder, 2 for a body that is empty, not B or too large; 0 once the file is written,
/// then PPID + ":Downloaded" is queued and ("GEMProcessProgram", "Download") raised. The expected
/// program is no longer awaited, whatever the answer. A body that cannot be written is reported
/// and answered 64.
void ReplyS7F3(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S7F5 program request A PPID -> S7F6 L,2 {A PPID, B PPBODY}, or L,0 when there is no such
/// program. S9F7 when the PPID is not A.
void ReplyS7F5(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S7F17 delete L,n {A PPID} -> S7F18 ACKC7: 1 without a recipe directory; L,0 deletes every file
/// of the tree (folders remain); otherwise 4 and nothing deleted unless every PPID names a file.
/// ("GEMProcessProgram", "Delete") is raised with the PPIDs joined by ",". S9F7 for wrong formats.
void ReplyS7F17(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

/// S7F19 current program directory request (header only) -> S7F20 L,n {A PPID}: every file of
/// the tree, a folder's files before its subfolders, each sorted bytewise.
void ReplyS7F19(GemContext& control, const std::shared_ptr<SecsTransaction>& trans);

}  // namespace kest
