#include "thelp.h"

Thelp::Thelp(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Help File"));
}
