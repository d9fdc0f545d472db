// Program: creates the windows in their fixed order and ends them in
// reverse. main() runs one; tests run one with their own folder and port.
#pragma once

#include "forms.h"

#include <QStringList>

class Program {
public:
    // gamePort "0" picks a free port (tests).
    explicit Program(const QStringList &args, const QString &gamePort = QStringLiteral("7772"));
    ~Program();

    Forms forms;

private:
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;
};
