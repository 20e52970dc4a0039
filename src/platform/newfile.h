#pragma once

#include "files.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {
enum class NewFileResult { Created, NameTaken, Failed };

// Creates path with content, in one step and only while the name is free: the content is
// written to ".<name>.favrake-tmp-XXXXXX" in the same folder and moved into place without
// replacing anything, so a crash leaves no half file under path (only a temporary file,
// which the folder scan clears away). modifiedAt (seconds since 1970) becomes the file's
// modification time. With batched ops the caller flushes with syncFileSystem at the end.
NewFileResult createNewFile(const QString &path, const QByteArray &content,
                            std::optional<int64_t> modifiedAt, const FileWriteOps &ops);

// The ending that marks a temporary file of a write still in progress (or cut off).
inline constexpr char TemporaryFileMark[] = ".favrake-tmp-";
} // namespace platform
