#include "ui/unwritable_folder_text.h"

std::string unwritable_folder_text(const std::string& app_folder)
{
    return "The program folder " + app_folder +
           " cannot be written with your rights, so nothing can be imported into it: move the whole folder to one "
           "you can write, such as your Documents folder, and start the program from there.";
}
