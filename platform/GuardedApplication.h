#pragma once

#include <QApplication>

// The application object. Errors that no form handles end here: their text is shown through the
// message seam and the program keeps running.
class GuardedApplication : public QApplication {
  public:
    GuardedApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the text of the exception being handled; call from a catch block.
void showCurrentException();
