#pragma once

#include "import/files/file_effects.h"
#include "import/files/file_move.h"
#include "import/files/intent_journal.h"
#include "import/files/staged_file.h"
#include "import/runtime_error.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// One all-or-nothing change to the program folder: an import (a staged
// survey file and the photos' moves) or an archive (one move). Import,
// archive and recovery all go through the functions below; none of them
// sequences the steps itself.
//
// The states a change passes through, and what stands on disk in each:
//   Staged     the new survey, whole and synced, under its temporary name,
//              made once the GPX file has been read whole and planned.
//   Journaled  the journal, naming the staged file and every move (an import
//              without photos has none), under its own name. From here on a
//              start that finds it acts on it.
//   Moving     files renamed, or copied across file systems or out of a
//              shared track's ZIP, one by one.
//   Durable    every folder a move touched synced.
//   Committed  the staged file renamed over survey.csv (an archive commits
//              with its one move), and its folder synced.
//   Finished   copied sources removed, then the journal.
// A change that fails is settled from what stands, as a start settles it,
// since a step that reported a failure may have taken effect all the same:
// found committed, it goes forward; else it is undone, its moves put back
// in reverse order, the journal removed, then the staged file.
//
// The rules that keep it safe, whatever instant the power goes:
//   R1 The staged file is made only once the GPX file has been read whole
//      and planned, is synced before the journal names it, and its name is
//      on disk before the first move or the commit (the journal's folder
//      sync covers it when they share a folder). The journal keeps the
//      checksum of its bytes: without its staged file, a change committed
//      when the survey file holds those bytes or any move was made; else the
//      staged file's name never reached the disk before a power cut, and the
//      change is undone. (import_waypoints, StagedFile::write_and_sync,
//      ChangeInProgress::begin, change_committed)
//   R2 Every change is journaled, with photos or without. The journal
//      appears under its name only when whole: written and synced under a
//      draft name, renamed, its folder synced, all before the first move or
//      the commit. It carries a version and a checksum, so one under its
//      name that does not decode is damage, never a cut: recovery refuses
//      and keeps every file. (ChangeInProgress::begin, decode_journal)
//   R3 A move never replaces a file; one made by a hard link keeps its old
//      name until the new one is on disk; a copy takes its name only once
//      its bytes are synced. (move_without_replacing, copy_without_replacing)
//   R4 Every move is durable before the commit. (ChangeInProgress::commit)
//   R5 The commit is one rename, synced before anything after it: no source
//      goes before the change has taken effect. Where a file system makes
//      it two steps (FAT), one cut between them goes forward, never back;
//      with a move not made, the survey file went by other hands, and a
//      start refuses. (ChangeInProgress::commit, replace_cut_short,
//      recover_locked)
//   R6 A source goes only once its copy stands. The live change, which has
//      just copied it, checks the source is still the file it copied: the
//      same identity, size and time where identities last, else the same
//      bytes; a start, when time has passed and a card may have changed,
//      removes it only if its bytes equal the copy's. (finish_change)
//   R7 The journal goes only when nothing is left to do. An undo first
//      makes what stands durable, so that no step of it outlasts a step it
//      takes back, and removes the journal, durably, before the staged file.
//      With R1 and R2, a staged file with no journal is always of a change
//      that never committed, and a start removes it. (finish_change,
//      undo_change, recover_locked)
//   R8 Recovery, and the live change once a step failed, decide on facts
//      only: nothing is there only when a look-up says so (ENOENT,
//      ENOTDIR); any other failed look-up, read or sync stops them with the
//      journal kept, as does a folder of the change that is not there (a
//      card taken out), or that lay on another device than the program
//      folder and now lies on its device (the empty folder a card leaves
//      where it was mounted). (recover_locked, find_moves, file_queries.h)
//   R9 Recovery never trusts a file's identity, which FAT makes up anew on
//      each mount: which moves were made it tells from which names stand and
//      from the bytes. (find_moves)
//   R10 Every failed sync before the commit fails the change, which is then
//      undone; one after it keeps the journal, so the next start finishes.
//      (sync_or_throw, ChangeInProgress::confirm_commit)
//   R11 A file of a shared track is copied out of its ZIP, which never
//      changes: the copy is made as any copy is (R3), and the journal keeps
//      the entry's size and CRC-32, by which alone a start finds the copy
//      made. Finishing removes nothing; undoing removes the copy. No sync of
//      the ZIP's folder is asked for, which may be read-only.
//      (copy_out_of_track, find_copy_out_of_track, finish_change)
namespace survey {

// What one change makes: the staged survey that commits it (none for an
// archive) and the files it moves.
struct Change {
    std::string gpx_path;
    StagedFile* survey = nullptr;
    std::vector<FileMove> moves;
};

// What to tell the user when the move numbered `index` fails with `error`.
using MoveFailureText = std::function<RuntimeError(const RuntimeError& error, std::size_t index)>;

// Applies `change` to `app_folder`, which the caller holds locked. Throws a
// RuntimeError naming what stopped it; every file is then as it was, or what
// could not be put back is named, and the next start puts it back; or the
// change, found to have taken effect all the same, went forward, and the
// error says so. Once committed, returns what kept a copied source from
// going, naming each; the journal then stays, for the next start to finish.
std::optional<RuntimeError> apply_change(FileEffects& effects, const std::string& app_folder, const Change& change,
                                         const MoveFailureText& move_failure_text);

// What a start finds of one move of a change a crash interrupted (R8, R9).
enum class MoveFound {
    NotMade,   // the source only
    Made,      // the target only: renamed
    Copied,    // both, with the same bytes: a copy, or a hard link cut short;
               // for a ZIP's entry, its size and CRC-32 at the target
    Reserved,  // the source, and an empty file at the target: a reservation
    // The target, and an empty file at the source: an undo's reservation.
    // Empty files carry nothing to lose, so such a one counts as this
    // program's.
    MovingBack,
    Foreign,   // both, with other bytes: the target is not this change's
    // Neither: the source was never there (the change failed on it), or
    // went by other hands. No move of this program makes a file vanish.
    Neither,
};

// What a start finds of every move of a journal, looked at once: comparing
// bytes reads whole photos, so the commit's decision and what follows share it.
std::vector<MoveFound> find_moves(FileEffects& effects, const IntentJournal& journal);

// Whether the change a journal names has committed: for an import, its
// staged file gone, and the survey file holding its bytes or a move made
// (R1, R8).
bool change_committed(FileEffects& effects, const IntentJournal& journal, const std::vector<MoveFound>& found);

// Whether a replace of the survey file may have stopped between its steps,
// as on FAT, where it is a removal and a rename: the old file gone, the new
// one still staged. Only with every move made can it have (R4); the change
// then goes forward, never back (R5).
bool replace_cut_short(FileEffects& effects, const IntentJournal& journal);

// Whether a start found a move as the change makes it: renamed, or copied.
bool made(MoveFound move);

// After a start, or the live change once a step failed, finds a change
// committed: removes each copied source whose bytes equal its copy's, then
// the journal. Returns what kept one from going, naming each; the journal
// then stays.
std::optional<RuntimeError> finish_change(FileEffects& effects, const std::string& app_folder,
                                          const IntentJournal& journal, const std::vector<MoveFound>& found);

// After a start, or the live change once a step failed, finds a change
// not committed: makes what stands durable, puts back every move it finds
// made, removes the journal, then the staged file. Returns a sentence of
// what stopped it, naming each file that could not be put back; the journal
// and the staged file then stay.
std::optional<std::string> undo_change(FileEffects& effects, const std::string& app_folder,
                                       const IntentJournal& journal, const std::vector<MoveFound>& found);

}  // namespace survey
