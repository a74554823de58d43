#include "ui/error_text.h"

#include "ui/file_system_path.h"

#include <QFileInfo>

QString error_text(const survey::RuntimeError& error, const QString& gpx_path)
{
    const std::string_view kind = survey::error_message(error.kind());
    QString text = QString::fromUtf8(kind.data(), static_cast<qsizetype>(kind.size()));
    if (error.line() > 0)
        text += "\n" + QFileInfo(gpx_path).fileName() + ", line " + QString::number(error.line());
    if (!error.path().empty())
        text += "\n" + display_path(error.path());
    if (!error.detail().empty())
        text += "\n\n" + QString::fromStdString(error.detail());
    return text;
}
