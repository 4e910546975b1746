#include "LoginSwitch.h"

#include "LoginItem.h"
#include "Settings.h"
#include "Text.h"

LoginSwitch::LoginSwitch(std::shared_ptr<Desktop> desktop_, QObject *parent)
    : QObject(parent), desktop(std::move(desktop_)), state(LoginItem::enabled())
{}

void LoginSwitch::setError(const QString &text)
{
    if (text != lastError) {
        lastError = text;
        Q_EMIT errorChanged();
    }
}

void LoginSwitch::reload()
{
    setError({});
    const bool now = LoginItem::enabled();
    if (now != state) {
        state = now;
        Q_EMIT onChanged();
    }
}

void LoginSwitch::set(bool on)
{
    const auto failure = LoginItem::setEnabled(on, desktop->selfBundle());
    setError(failure ? bilingual(QStringLiteral("Gagal mengubah login item: %1"),
                                 QStringLiteral("Could not change the login item: %1"))
                           .arg(*failure)
                     : QString());
    const bool now = failure ? LoginItem::enabled() : on;
    // The user has found the switch: the note that pointed to it has said its piece.
    if (!failure)
        Settings::instance().setLoginNote(false);
    if (now != state) {
        state = now;
        Q_EMIT onChanged();
    } else if (failure) {
        Q_EMIT onChanged(); // the switch moved by itself: put it back
    }
}
