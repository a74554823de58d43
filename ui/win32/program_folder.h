#pragma once

#include <string>

// The folder of the running executable, as UTF-8, without a trailing
// separator but for a drive's root ("E:\"), which would otherwise name the
// drive's current folder.
std::string executable_folder();
