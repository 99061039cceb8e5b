#pragma once

class QCoreApplication;

// Installs the finder's own translation and Qt's, for the system locale's
// languages, where they exist. The window's fixed texts have none.
void installTranslations(QCoreApplication &app);
