#include "SettingsForm.h"

#include "SettingsFile.h"
#include "Sha256.h"

SettingsForm SettingsForm::load() {
    SettingsForm form;
    if (const std::optional<StoredSettings> stored =
            SettingsFile::read(SettingsFile::filePath(), &form.readProblem)) {
        form.servername = stored->servername;
        form.username = stored->username;
        form.autoRefresh = stored->autoRefresh;
        form.autoPlay = stored->autoPlay;
        form.hasSavedPassword = !stored->passwordDigest.isEmpty();
    }
    return form;
}

StoredSettings SettingsForm::toStored(const QString& savedDigest) const {
    return {servername, username, password.isEmpty() ? savedDigest : Sha256().hex(password),
            autoRefresh, autoPlay};
}

std::variant<StoredSettings, QString> SettingsForm::save() const {
    const std::optional<StoredSettings> previous = SettingsFile::read();
    const StoredSettings stored = toStored(previous ? previous->passwordDigest : QString());
    if (std::optional<QString> failure = SettingsFile::write(stored))
        return *failure;
    return stored;
}
