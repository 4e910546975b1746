#include "LoginSwitch.h"

#include "LinuxDesktop.h"
#include "LoginItem.h"
#include "Text.h"

LoginSwitch::LoginSwitch(QObject *parent) : QObject(parent), state(LoginItem::enabled()) {}

void LoginSwitch::set(bool on)
{
    const auto failure = LoginItem::setEnabled(on, LinuxDesktop().selfBundle());
    const QString text = failure ? bilingual(QStringLiteral("Gagal mengubah login item: %1"),
                                             QStringLiteral("Could not change the login item: %1"))
                                       .arg(*failure)
                                 : QString();
    if (text != lastError) {
        lastError = text;
        Q_EMIT errorChanged();
    }
    const bool now = failure ? LoginItem::enabled() : on;
    if (now != state) {
        state = now;
        Q_EMIT onChanged();
    } else if (failure) {
        Q_EMIT onChanged(); // the switch moved by itself: put it back
    }
}
