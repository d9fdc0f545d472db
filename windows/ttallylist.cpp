#include "ttallylist.h"

Ttallylist::Ttallylist(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Tally List"));
}
