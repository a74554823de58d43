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
    // Writes and syncs the journal of `moves` for the change to `app_folder`,
    // with `staged_path`, when not empty, as the file whose publishing commits it.
    JournaledMoves(FileEffects& effects, const std::string& app_folder, const std::string& gpx_path,
                   const std::string& staged_path, const std::string& survey_path, std::vector<FileMove> moves);
    ~JournaledMoves();
    JournaledMoves(const JournaledMoves&) = delete;
    JournaledMoves& operator=(const JournaledMoves&) = delete;

    std::size_t size() const { return journal_.moves.size(); }
    // Makes the move numbered `index`, or throws what stopped it.
    void make(std::size_t index);
    // Before the commit: every move made is on disk.
    void make_durable();
    // Once the change has committed: removes what copies left behind, then
    // the journal. Returns a sentence naming a source that could not go; the
    // journal then stays.
    std::optional<std::string> finish();
    // Before it commits: puts every moved file back and removes the staged
    // file and the journal. Returns a sentence naming each file that could
    // not be put back; the staged file and the journal then stay.
    std::optional<std::string> undo();

private:
    void copy(std::size_t index);
    void close_journal();

    FileEffects& effects_;
    std::string app_folder_;
    IntentJournal journal_;
    int journal_fd_ = -1;
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

// Puts back every file the change moved, removes its staged file and the
// journal. Returns a sentence naming each file that could not be put back,
// and then keeps the staged file and the journal, so that nothing is forgotten.
std::optional<std::string> undo_change(FileEffects& effects, const std::string& app_folder,
                                       const IntentJournal& journal);

}  // namespace survey
