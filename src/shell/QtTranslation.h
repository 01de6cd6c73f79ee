#pragma once

class QCoreApplication;
class QLocale;
class QTranslator;

// Qt's own texts (the standard buttons' Yes and No, the text boxes' menus) in the user's
// language, where Qt's translations are installed. The program's fixed texts stay as they are.
class QtTranslation {
public:
    // The translator now in use, owned by the application; none when Qt has no translation for
    // the language.
    static QTranslator* install(QCoreApplication& application, const QLocale& locale);
};
