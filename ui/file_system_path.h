#pragma once

#include <QString>

#include <string>

// The bytes of the file-system entry a path shown to the user names. A name
// that is not valid UTF-8, as SD cards often carry, reaches Qt with its bad
// bytes replaced; such a path is found again, name by name, among the
// entries of its folders. A path that names nothing is only encoded.
std::string file_system_path(const QString& path);

// The path as the user reads it.
QString display_path(const std::string& path);
