// The cards of the Advanced pane and their actions, each behind its own confirmation.

#include "ActivityLog.h"
#include "Model.h"
#include "ModelLogging.h"
#include "Office.h"
#include "Paths.h"
#include "Removal.h"
#include "Settings.h"
#include "Text.h"
#include "TreeSize.h"

#include <QPointer>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

Model::LiveText quitFirst(const QString &name)
{
    return [name] {
        return bilingual(QStringLiteral("Tutup %1 dulu."), QStringLiteral("Quit %1 first."))
            .arg(name);
    };
}

QString deleteLabel()
{
    return bilingual("Hapus", "Delete");
}

QString vmTitle()
{
    return bilingual("Hapus VM Claude Desktop?", "Delete the Claude Desktop VM?");
}

QString vmMessage()
{
    return bilingual(
        "Claude Desktop akan mengunduhnya ulang kalau fitur agent dipakai lagi. "
        "Penghapusan ini permanen.",
        "Claude Desktop downloads it again if the agent feature is used. This deletion "
        "is permanent.");
}

} // namespace

std::vector<AdvItem> Model::buildAdvItems()
{
    std::vector<AdvItem> items;
    const auto measured = [this](const char *key) { return m_adv.value(key, 0) > 0; };

    if (measured("whatsapp")) {
        items.push_back(
            {"whatsapp", "message", "WA", bilingual("Media WhatsApp", "WhatsApp media"),
             m_adv.value("whatsapp"),
             bilingual("Rapikan lewat Settings, Storage di WhatsApp. Jangan hapus filenya "
                       "langsung.",
                       "Tidy up in WhatsApp under Settings, Storage. Never delete its files "
                       "directly."),
             bilingual("Dirapikan lewat aplikasinya", "Tidied up in the app itself"),
             bilingual("Buka aplikasi", "Open app"), true, true,
             [this] { services.desktop->openApplication("/Applications/WhatsApp.app"); }});
    }
    if (measured("claudevm")) {
        items.push_back(
            {"claudevm", "cpu", "VM", bilingual("VM Claude Desktop", "Claude Desktop VM"),
             m_adv.value("claudevm"),
             bilingual("Diunduh ulang kalau fitur agent dipakai lagi. Claude harus tertutup.",
                       "Downloaded again if the agent feature is used. Claude must be closed."),
             bilingual("Diunduh ulang saat dipakai", "Downloaded again when needed"), deleteLabel(),
             true, false, [this] {
                 removeFolder("claudevm", pair("VM Claude Desktop", "Claude Desktop VM"),
                              advFolder("claudevm"), {"Claude"}, vmTitle(), vmMessage());
             }});
    }
    if (m_mauInstalled) {
        const bool unused = m_msApps.isEmpty();
        const QString names = m_msApps.join(", ");
        items.push_back(
            {"mau", "arrow.triangle.2.circlepath", "MS", "Microsoft AutoUpdate", std::nullopt,
             unused ? bilingual("Tidak ada aplikasi Microsoft lagi. Updater ini aman dihapus.",
                                "No Microsoft apps left. This updater is safe to remove.")
                    : bilingual(QStringLiteral("Masih dipakai %1."),
                                QStringLiteral("Still used by %1."))
                          .arg(names),
             unused ? bilingual("Tak ada aplikasi Microsoft", "No Microsoft apps left")
                    : bilingual("Masih dipakai aplikasi Microsoft", "Still used by Microsoft apps"),
             deleteLabel(), unused, false, [this] { removeMAU(); }});
    }
    if (measured("autorecover")) {
        items.push_back(
            {"autorecover", "doc.badge.clock", "AR",
             bilingual("AutoRecovery Office", "Office AutoRecovery"), m_adv.value("autorecover"),
             bilingual("Salinan darurat Word, Excel, PowerPoint yang tertinggal.",
                       "Leftover emergency copies from Word, Excel and PowerPoint."),
             bilingual("Salinan darurat tertinggal", "Leftover emergency copies"),
             bilingual("Ke Trash", "Move to Trash"), true, false, [this] { cleanAutoRecovery(); }});
    }
    if (measured("playwright")) {
        items.push_back(
            {"playwright", "theatermasks", "PW",
             bilingual("Browser Playwright", "Playwright browsers"), m_adv.value("playwright"),
             bilingual("Browser uji otomatis. Diunduh ulang saat dibutuhkan.",
                       "Browsers for automated tests. Downloaded again when needed."),
             bilingual("Browser uji otomatis", "Browsers for automated tests"), deleteLabel(), true,
             false, [this] {
                 removeFolder(
                     "playwright", pair("Browser Playwright", "Playwright browsers"),
                     advFolder("playwright"), {},
                     bilingual("Hapus browser Playwright?", "Delete the Playwright browsers?"),
                     bilingual("Akan diunduh ulang saat playwright install dijalankan. "
                               "Penghapusan ini permanen.",
                               "They download again when playwright install runs. This "
                               "deletion is permanent."));
             }});
    }
    items.push_back({"trash", "trash", "TR", "Trash", std::nullopt,
                     bilingual("File di Trash baru membebaskan ruang setelah dikosongkan.",
                               "Files in the Trash only free space once it is emptied."),
                     bilingual("Dihapus permanen", "Deleted for good"),
                     bilingual("Kosongkan", "Empty"), true, false, [this] { emptyTrash(); }});
    return items;
}

void Model::activateAdvItem(const QString &id)
{
    // A copy: the action may change what the cards show, and so the list.
    std::function<void()> action;
    for (const AdvItem &item : m_advItems) {
        if (item.id == id && item.enabled)
            action = item.action;
    }
    if (action)
        action();
}

void Model::ask(const QString &title, const QString &message, const QString &confirmLabel,
                const std::function<void()> &action)
{
    if (services.confirmation->confirm(title, message, confirmLabel))
        action();
}

void Model::runAdvanced(const QString &name, LiveText subject, std::function<Outcome()> work,
                        std::vector<std::filesystem::path> changed)
{
    setBusy(true);
    tasks.run(
        [name, work = std::move(work)] {
            const Outcome outcome = work();
            Engine::log("lanjutan: " + name + ": " + outcome.text());
            qCInfo(lcModel, "%s: %s", qPrintable(name), qPrintable(outcome.text()));
            return outcome;
        },
        [this, subject = std::move(subject), changed = std::move(changed)](const Outcome &outcome) {
            setResult(Pane::lanjutan, subject, outcome.text, outcome.kind);
            setBusy(false);
            m_space.cleaned(changed);
            refreshAfterAction();
        });
}

void Model::removeFolder(const QString &name, LiveText subject, const std::filesystem::path &path,
                         const QStringList &blockers, const QString &title, const QString &message)
{
    if (const auto running = blocked(blockers)) {
        setResult(Pane::lanjutan, subject, quitFirst(*running), ResultKind::skipped);
        return;
    }
    ask(title, message, deleteLabel(), [this, name, subject, path] {
        runAdvanced(
            name, subject,
            [path]() -> Outcome {
                struct stat st {};
                if (lstat(path.c_str(), &st) != 0)
                    return {failedWith(Engine::Failure::ofErrno(errno, path)), ResultKind::failed};
                const Engine::RemovalResult removed = Engine::removeItem(path);
                if (removed.failure)
                    return {failedWith(*removed.failure),
                            removed.freed > 0 ? ResultKind::partlyFailed : ResultKind::failed};
                return {freedWith(removed.freed)};
            },
            {path});
    });
}

void Model::cleanAutoRecovery()
{
    QStringList blockers;
    for (const auto &[container, name] : Engine::officeApps())
        blockers << name;
    if (const auto running = blocked(blockers)) {
        setResult(Pane::lanjutan, pair("AutoRecovery Office", "Office AutoRecovery"),
                  quitFirst(*running), ResultKind::skipped);
        return;
    }
    ask(bilingual("Pindahkan file AutoRecovery ke Trash?", "Move AutoRecovery files to the Trash?"),
        bilingual(
            "Ini salinan darurat Word, Excel, dan PowerPoint. Pastikan dokumen aslinya sudah "
            "tersimpan. File masih bisa dikembalikan dari Trash.",
            "These are emergency copies from Word, Excel and PowerPoint. Make sure the original "
            "documents are saved. The files can still be restored from the Trash."),
        bilingual("Ke Trash", "Move to Trash"), [this] {
            runAdvanced("autorecover", {}, [trash = services.trash]() -> Outcome {
                int moved = 0;
                int left = 0;
                for (const std::filesystem::path &copy : Engine::autoRecoverFiles())
                    (trash->moveToTrash(copy) ? left : moved) += 1;
                return {
                    [moved] {
                        return bilingual(
                            QStringLiteral("%1 file AutoRecovery dipindah ke Trash.").arg(moved),
                            QStringLiteral("%1 AutoRecovery files moved to the Trash.").arg(moved));
                    },
                    left == 0    ? ResultKind::done
                    : moved == 0 ? ResultKind::failed
                                 : ResultKind::partlyFailed};
            });
        });
}

void Model::removeMAU()
{
    ask(bilingual("Hapus Microsoft AutoUpdate?", "Remove Microsoft AutoUpdate?"),
        bilingual(
            "Tidak ada aplikasi Microsoft yang terdeteksi, jadi updater ini tidak lagi punya "
            "tugas. Sistem akan meminta password admin.",
            "No Microsoft apps were found, so this updater has nothing left to do. The system "
            "will ask for an admin password."),
        deleteLabel(), [this] {
            runAdvanced("mau", {}, [runner = services.desktop->adminRunner()]() -> Outcome {
                using enum Engine::MauRemoval::Outcome;
                const Engine::MauRemoval removal = Engine::removeMAU({"/", runner});
                switch (removal.outcome) {
                case removed:
                    return {pair("Microsoft AutoUpdate sudah dihapus.",
                                 "Microsoft AutoUpdate has been removed.")};
                case partlyLeft:
                    return {
                        pair("Sebagian file MAU masih tersisa.", "Some MAU files are still there."),
                        ResultKind::partlyFailed};
                case cancelled:
                    return {pair("Dibatalkan.", "Cancelled."), ResultKind::cancelled};
                case failed:
                    break;
                }
                return {failedWith(removal.output), ResultKind::failed};
            });
        });
}

void Model::emptyTrash()
{
    ask(bilingual("Kosongkan Trash?", "Empty the Trash?"),
        bilingual("Semua isi Trash dihapus permanen.",
                  "Everything in the Trash is deleted permanently."),
        bilingual("Kosongkan", "Empty"), [this] {
            // A large Trash takes seconds: the work runs off the main thread.
            setBusy(true);
            tasks.run(
                [trash = services.trash] {
                    const std::optional<QString> error = trash->empty();
                    Engine::log("lanjutan: kosongkan trash");
                    return error ? Outcome{failedWith(*error), ResultKind::failed}
                                 : Outcome{pair("Trash dikosongkan.", "Trash emptied.")};
                },
                [this](const Outcome &outcome) {
                    setResult(Pane::lanjutan, {}, outcome.text, outcome.kind);
                    setBusy(false);
                    m_space.measureAgain({Engine::homeTrashFolder()});
                    refreshAfterAction();
                });
        });
}

void Model::restartMac()
{
    Engine::log("saran restart: swap " + fmt(m_swapBytes));
    services.desktop->requestRestart([self = QPointer(this)](bool prompted) {
        if (self && !prompted)
            self->setResult(
                Pane::cepat, {},
                [] {
                    return failedText(
                        bilingual("desktop ini tidak menawarkan restart. Restart lewat "
                                  "menu desktop Anda.",
                                  "this desktop offers no restart prompt. Restart from "
                                  "your desktop's menu."));
                },
                ResultKind::failed);
    });
}

void Model::showSettingsPage()
{
    if (Settings::instance().sidebar())
        setPane(Pane::pengaturan);
    else
        setShowSettings(true);
}
