#include "ScriptedDialogs.h"

#include <QGuiApplication>

void ScriptedDialogs::critical(QWidget*, const QString& title, const QString& text) {
    shown.push_back(
        {QStringLiteral("critical"), title, text, QGuiApplication::overrideCursor() != nullptr});
}

bool ScriptedDialogs::askYesNo(QWidget*, const QString& title, const QString& text, Icon icon) {
    shown.push_back({icon == Icon::Question ? QStringLiteral("question") : QStringLiteral("yesno"),
                     title, text});
    return answerYes;
}

void ScriptedDialogs::showSettings(frmPlayer& player) {
    shown.push_back({QStringLiteral("settings"), {}, {}});
    if (onSettings)
        onSettings(player);
}

void ScriptedDialogs::showAbout(frmPlayer&) {
    shown.push_back({QStringLiteral("about"), {}, {}});
}

void ScriptedDialogs::quit() {
    ++quitCount;
}

QStringList ScriptedDialogs::texts(const QString& kind) const {
    QStringList out;
    for (const Shown& s : shown)
        if (s.kind == kind)
            out << s.text;
    return out;
}

void ScriptedDialogs::inform(QWidget*, const QString& title, const QString& text) {
    shown.push_back({QStringLiteral("inform"), title, text});
}
