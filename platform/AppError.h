#pragma once

#include <QString>

#include <stdexcept>

// A failure outside the database (a picture, a file). The general handler shows its text, a short
// Russian sentence, with the technical reason (file, library message) in the details.
class AppError : public std::runtime_error {
  public:
    explicit AppError(const QString& text, const QString& details = QString())
        : std::runtime_error(text.toStdString()), m_text(text), m_details(details) {}
    QString text() const { return m_text; }
    QString details() const { return m_details; }

  private:
    QString m_text;
    QString m_details;
};

// A file write refused for want of space: its text says so, and a caller that words a failed write its own
// way passes it on as it is.
class DiskFull : public AppError {
  public:
    using AppError::AppError;
};
