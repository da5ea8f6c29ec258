#include "platform/files/profile_keys.h"

#include "platform/files/case_paths.h"
#include "platform/files/file_replace.h"
#include "platform/files/profile_text.h"

bool ProfileHasAnyKey(const QString& fileName)
{
    std::optional<QByteArray> bytes = files::readWholeFile(files::nativePath(ResolvePathCase(fileName)));
    return bytes && files::ProfileText(std::move(*bytes)).hasAnyKey();
}
