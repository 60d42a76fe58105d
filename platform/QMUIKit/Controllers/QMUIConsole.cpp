#include "platform/QMUIKit/Controllers/QMUIConsole.h"

QMUIConsole& QMUIConsole::appearance() {
    static QMUIConsole console;
    return console;
}
