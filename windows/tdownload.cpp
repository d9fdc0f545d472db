#include "tdownload.h"

Tdownload::Tdownload(Forms &forms, QWidget *parent) : QDialog(parent), m_forms(forms)
{
    setWindowTitle(QStringLiteral("Download The Qorb42 Lobby"));
}
