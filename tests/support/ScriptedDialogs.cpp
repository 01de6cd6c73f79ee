#include "ScriptedDialogs.h"

#include <QGuiApplication>

void ScriptedDialogs::critical(QWidget*, const QString& title, const QString& text) {
    shown.push_back(
        {QStringLiteral("critical"), title, text, QGuiApplication::overrideCursor() != nullptr});
}

void ScriptedDialogs::askYesNo(QWidget*, const QString& title, const QString& text, Icon icon,
                               std::function<void()> yes) {
    shown.push_back({icon == Icon::Question ? QStringLiteral("question") : QStringLiteral("yesno"),
                     title, text});
    if (answerYes)
        yes();
}

void ScriptedDialogs::showSettings(QWidget* parent, SessionSettings& settings) {
    shown.push_back({QStringLiteral("settings"), {}, {}});
    if (onSettings)
        onSettings(parent, settings);
}

void ScriptedDialogs::showAbout(QWidget*) {
    shown.push_back({QStringLiteral("about"), {}, {}});
}

void ScriptedDialogs::choosePlaylistFile(QWidget*, FileAction action,
                                         std::function<void(const QString& path)> chosen) {
    shown.push_back({action == FileAction::Save ? QStringLiteral("save") : QStringLiteral("open"),
                     {},
                     fileToChoose});
    if (!fileToChoose.isEmpty())
        chosen(fileToChoose);
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
