#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// Every file the program writes is written beside its place under a name of its own and moved over the
// former file only once it is on disk whole. A failure at any step (open, write, flush, close, rename; a
// full disk) throws AppError with a Russian text naming the file, and the former file stays as it was.

// Replaces a file's content.
void replaceFile(const QString& path, const QByteArray& content);

// Sets values, keyed "Section/Key", in an INI file, keeping its other keys.
void writeIniValues(const QString& path, const QList<QPair<QString, QString>>& values);

// For a writer that writes a file by its name itself (the PDF printer): a new file beside the one it is to
// replace, removed unless committed.
class PendingFile {
  public:
    explicit PendingFile(const QString& path);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Where the writer writes.
    const QString& path() const { return m_written; }
    // Puts what was written on disk for good and moves it over the file.
    void commit();
    // Throws the write error of the file, with the reason among its details.
    [[noreturn]] void fail(const QString& reason) const;

  private:
    QString m_target;
    QString m_written;
};
