#pragma once

#include <QString>

// What the main window knows for one run of the program. Only the token changes by itself (on a
// successful sign-in); the rest comes from the settings file or the settings dialog.
struct SessionState {
    QString authToken;
    QString servername;
    QString username;
    QString hashKey;
    bool autoRefresh = false;
    bool autoPlay = false;
};
