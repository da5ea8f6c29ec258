#include "platform/files/profile_keys.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile_text.h"
#include "platform/files/windows_dir.h"

bool ProfileHasAnyKey(const QString& fileName)
{
    std::optional<QByteArray> bytes = files::readWholeFile(files::nativePath(ResolvePathCase(fileName)),
        files::isProgramFile(fileName) ? files::Links::Follow : files::Links::Refuse);
    return bytes && files::ProfileText(std::move(*bytes)).hasAnyKey();
}
