#include "ui/file_system_path.h"

#include <QFile>
#include <QStringList>

#include <dirent.h>
#include <sys/stat.h>

namespace {

bool entry_exists(const std::string& path)
{
    struct stat status;
    return ::lstat(path.c_str(), &status) == 0;
}

// The bytes of the entry in `folder` that shows as `name`, or the name
// encoded when none does.
std::string entry_named(const std::string& folder, const QString& name)
{
    const std::string encoded = QFile::encodeName(name).toStdString();
    if (entry_exists(folder + "/" + encoded))
        return encoded;
    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir)
        return encoded;
    std::string found = encoded;
    while (const dirent* entry = ::readdir(dir)) {
        if (QFile::decodeName(entry->d_name) == name) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

}  // namespace

std::string file_system_path(const QString& path)
{
    const std::string encoded = QFile::encodeName(path).toStdString();
    if (!path.contains(QChar::ReplacementCharacter) || entry_exists(encoded))
        return encoded;
    const QStringList names = path.split('/');
    std::string found = QFile::encodeName(names.front()).toStdString();
    for (qsizetype i = 1; i < names.size(); ++i)
        found += "/" + entry_named(found, names[i]);
    return found;
}

QString display_path(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}
