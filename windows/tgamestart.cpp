#include "tgamestart.h"

Tgamestart::Tgamestart(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Game Start"));
}
