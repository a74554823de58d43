#pragma once

#include "import/files/file_effects.h"
#include "import/files/file_move.h"
#include "import/files/intent_journal.h"
#include "import/runtime_error.h"

#include <optional>
#include <string>
#include <vector>

namespace survey {

// Makes a list of moves all or nothing, whatever instant the process dies.
// The intent journal is on disk before the first move; each move either
// renames, which keeps the file's identity, or, across file systems, copies
// into an unnamed file whose identity is journaled before it takes its name.
// So whoever reads the journal can tell a move that was made from a file
// that stood at its target before, and undo only what this change did.
class JournaledMoves {
public:
    // The change to `app_folder` that makes `moves`, with `staged_path`, when
    // not empty, as the file whose publishing commits it.
    JournaledMoves(FileEffects& effects, const std::string& app_folder, const std::string& gpx_path,
                   const std::string& staged_path, const std::string& survey_path, std::vector<FileMove> moves);
    ~JournaledMoves();
    JournaledMoves(const JournaledMoves&) = delete;
    JournaledMoves& operator=(const JournaledMoves&) = delete;

    std::size_t size() const { return journal_.moves.size(); }
    // Writes and syncs the journal, before the first move.
    void begin();
    // Makes the next move, or throws what stopped it; a move that fails
    // leaves no trace.
    void make_next();
    // Before the commit: every move made is on disk.
    void make_durable();
    // Once the change has committed: removes what copies left behind, then
    // the journal. Returns a sentence naming a source that could not go; the
    // journal then stays.
    std::optional<std::string> finish();
    // Before it commits: puts back every file it moved and removes the staged
    // file and the journal. Returns a sentence naming each file that could
    // not be put back, or a journal that could not go; the staged file and
    // the journal then stay.
    std::optional<std::string> undo();

private:
    void copy(std::size_t index);
    void close_journal();

    FileEffects& effects_;
    std::string app_folder_;
    IntentJournal journal_;
    int journal_fd_ = -1;
    std::size_t made_ = 0;
};

// `cause`, with the sentence `undo` gave, if any.
RuntimeError with_undo_failure(const RuntimeError& cause, const std::optional<std::string>& left);

// Whether the change a journal names has taken effect.
bool change_committed(const IntentJournal& journal);

// Removes what copies left behind, and then the journal: the change is
// complete. Returns a sentence naming each source that could not be
// removed; the journal then stays, so that nothing else changes until it can.
std::optional<std::string> finish_change(FileEffects& effects, const std::string& app_folder,
                                         const IntentJournal& journal);

// Puts back every file the change moved, of its first `attempted` moves,
// removes its staged file and the journal. Returns a sentence naming each
// file that could not be put back, or the journal when it could not go, and
// then keeps the staged file and the journal, so that nothing is forgotten.
std::optional<std::string> undo_change(FileEffects& effects, const std::string& app_folder,
                                       const IntentJournal& journal, std::size_t attempted);

}  // namespace survey
