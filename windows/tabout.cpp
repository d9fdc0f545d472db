#include "tabout.h"

Tabout::Tabout(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - About"));
}
