#pragma once

#include <QString>

#include <stdexcept>

// A failure outside the database (a picture, a file); the general handler shows its text.
class AppError : public std::runtime_error {
  public:
    explicit AppError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

  private:
    QString m_text;
};
