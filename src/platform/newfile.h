#pragma once

#include "files.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {
enum class NewFileResult { Created, NameTaken, Failed };
// Any: the best the file system offers; Named: always through a named temporary file.
enum class NewFileWay { Any, Named };

// Creates path with content, in one step and only while the name is free, so a crash
// leaves no half file under path: the content goes to a file without a name in the same
// folder, linked to path when complete (nothing at all remains after a crash); where the
// file system cannot do that, to ".<name>.favrake-tmp-XXXXXX", moved into place without
// replacing anything (the folder scan clears away such a file left by a crash).
// modifiedAt (seconds since 1970) becomes the file's modification time. With batched ops
// the caller flushes with syncFileSystem at the end.
NewFileResult createNewFile(const QString &path, const QByteArray &content,
                            std::optional<int64_t> modifiedAt, const FileWriteOps &ops,
                            NewFileWay way = NewFileWay::Any);
} // namespace platform
