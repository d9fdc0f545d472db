#include "tphrases.h"

Tphrases::Tphrases(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Velloc - Phrase Buttons "));
}
