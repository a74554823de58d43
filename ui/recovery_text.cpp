#include "ui/recovery_text.h"

#include "ui/path_name.h"

std::string recovery_text(const survey::Recovery& recovery)
{
    const bool completed = recovery.outcome == survey::RecoveryOutcome::Completed;
    if (recovery.gpx_path.empty())
        return "An import that was interrupted before it changed anything has been cleared away.";
    const std::string name = name_of(recovery.gpx_path);
    if (recovery.archive)
        return completed ? "The interrupted move of " + name + " into saveGPX has been completed."
                         : "The interrupted move of " + name + " into saveGPX has been undone; the file is still at " +
                               recovery.gpx_path + ".";
    return completed ? "The interrupted import of " + name +
                           " has been completed: survey.csv holds its records and its photos are in photosound."
                     : "The interrupted import of " + name +
                           " has been undone: survey.csv and the photos are as they were before it.";
}
