#include "tspylist.h"

Tspylist::Tspylist(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Spys"));
}
