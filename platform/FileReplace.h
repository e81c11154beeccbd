#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Every file the program writes is written beside its place (the file a link leads to, the link kept) under a name
// of its own, checked, synced and moved over the former file, whose mode it keeps. A failure at any step (open,
// write, sync, close, the size on disk, rename; a full disk) throws AppError with a Russian text naming the file,
// and the former file stays as it was. What a write cut off by a crash leaves is removed by the file's next write.

// Where the folder takes no new file but the file itself may be changed (a report in a shared folder).
enum class ShutFolder { Fail, WriteInPlace };

// Replaces a file's content; WriteInPlace writes over the file where its folder is shut, every write still checked.
void replaceFile(const QString& path, const QByteArray& content, ShutFolder shutFolder = ShutFolder::Fail);

// Throws the write error of the file, with the reason among its details.
[[noreturn]] void failFileWrite(const QString& path, const QString& reason);

// Sets values, keyed "Section/Key", in an INI file, keeping its other keys.
void writeIniValues(const QString& path, const QList<QPair<QString, QString>>& values);

// The call that puts a file's data on disk for good; a test puts a failing one in its place.
extern int (*gSyncFile)(int fd);
