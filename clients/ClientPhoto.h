#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <map>
#include <optional>

// The photo file name of a client: the ID padded with zeros to 8 digits, then ".jpg".
QString photoFileName(int clientId);
// True for the extensions a photograph is read from: .jpg, .jpeg and .bmp, in any case.
bool isPictureFile(const QString& path);
// Reads a picture as its extension says; any other extension gives a null picture.
QImage readPicture(const QString& path);

// Photo files written while a client is edited, with what each held before, so that leaving without
// saving can put them back.
class PhotoUndo {
  public:
    // Writes the picture as JPEG, remembering the file's former content once it is first written.
    void write(const QImage& picture, const QString& path);
    // Puts every written file back as it was; a file that did not exist is removed. Every file is
    // tried; those that stay as written are named in the AppError thrown at the end.
    void restore();
    // The record is saved: the written files stay.
    void forget() { m_former.clear(); }

  private:
    std::map<QString, std::optional<QByteArray>> m_former;
};
