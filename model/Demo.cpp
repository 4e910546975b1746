// Demo mode: fixed sample figures instead of measurements, and a simulated quick clean. Steered
// only from the settings file (demo, demoPane, demoAutoClean, demoAsk); Ampa never writes them.

#include "Model.h"
#include "Paths.h"
#include "Settings.h"
#include "Text.h"

#include <QDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int simulatedCleanMs = 1600;

struct SampleDownload {
    const char *name;
    qint64 size;
    int ageDays;
};

constexpr SampleDownload sampleDownloads[] = {
    {"Meeting recording.mp4", 381'000'000, 120}, {"Client proposal.pptx", 250'000'000, 160},
    {"Data science book.pdf", 117'000'000, 200}, {"Budget 2026.xlsx", 96'000'000, 60},
    {"Sample data.zip", 77'000'000, 90},         {"Final report.docx", 41'000'000, 30},
};

// Sample developer caches: one of each mode, one whose owner runs; kept as the setting says.
std::vector<DevItem> sampleDevItems()
{
    using Engine::DevMode;
    const std::filesystem::path home = Engine::homeDir();
    auto item = [&home](const char *id, const char *icon, DevMode mode, const char *path,
                        std::optional<qint64> size) {
        DevItem sample;
        sample.cache.id = id;
        sample.cache.icon = icon;
        sample.cache.mode = mode;
        sample.cache.paths = {home / path};
        sample.size = size;
        return sample;
    };
    // Named by id, as the catalogue's own entries are.
    std::vector<DevItem> items{
        item("gradle", "hammer", DevMode::Delete, ".gradle/caches", 3'400'000'000),
        item("cargo", "shippingbox", DevMode::Delete, ".cargo/registry", 2'100'000'000),
        item("maven", "shippingbox", DevMode::Choice, ".m2/repository", 1'200'000'000),
        item("pnpm", "cube", DevMode::Command, ".local/share/pnpm/store", 800'000'000),
        item("vscode", "macwindow", DevMode::Delete, ".config/Code/CachedData", 640'000'000),
        item("journal", "doc.badge.clock", DevMode::Report, "journal", 512'000'000),
        item("jetbrains", "hammer", DevMode::Delete, ".cache/JetBrains", 950'000'000)};
    items[3].cache.command = Engine::DevCommand{"pnpm", {"store", "prune"}};
    items[4].running = true;
    items[5].cache.rootCommand = "sudo journalctl --rotate --vacuum-time=2weeks";
    const QStringList kept = Settings::instance().devKeep();
    for (DevItem &sample : items)
        sample.kept = kept.contains(sample.cache.id);
    return items;
}

// Sample projects under ~/src: idle ones, a recent one with changes, one in use.
std::vector<Engine::Project> sampleProjects()
{
    struct Sample {
        const char *name, *kind, *artifact;
        qint64 size;
        int idleDays;
        bool dirty, inUse;
    };
    const Sample samples[] = {
        {"shop-frontend", "node", "node_modules", 1'900'000'000, 120, false, false},
        {"ray-tracer", "rust", "target", 4'200'000'000, 64, false, false},
        {"thesis-analysis", "python", ".venv", 830'000'000, 210, true, false},
        {"ampa-plugin", "cmake", "build", 610'000'000, 2, true, true},
        {"android-app", "gradle", "build", 1'300'000'000, 9, false, false},
    };
    const std::filesystem::path src = Engine::homeDir() / "src";
    const QDateTime now = QDateTime::currentDateTimeUtc();
    std::vector<Engine::Project> projects;
    for (const Sample &sample : samples) {
        Engine::Project project;
        project.path = src / sample.name;
        project.realPath = project.scope = project.path;
        project.kind = sample.kind;
        project.artifacts = {
            {project.path / sample.artifact, sample.artifact, sample.size, {}, false, false, {}}};
        project.size = sample.size;
        project.lastActivity = now.addDays(-sample.idleDays);
        project.dirty = sample.dirty;
        project.inUse = sample.inUse;
        projects.push_back(std::move(project));
    }
    std::sort(projects.begin(), projects.end(),
              [](const auto &a, const auto &b) { return a.size > b.size; });
    return projects;
}

} // namespace

void Model::loadDemo()
{
    setFreeAndTotal(6'600'000'000, 245'000'000'000);
    setSizes({{"codex", 7'500'000'000},
              {"npm", 1'300'000'000},
              {"chrome", 748'000'000},
              {"comet", 436'000'000},
              {"build", 547'000'000},
              {"brew", 543'000'000},
              {"clang", 812'000'000}});
    setStatuses({});
    for (const auto &[key, size] :
         {std::pair{"whatsapp", 30'800'000'000LL}, std::pair{"claudevm", 7'300'000'000LL},
          std::pair{"autorecover", 1'100'000'000LL}, std::pair{"playwright", 201'000'000LL}})
        setAdvValue(key, size);
    setMauInstalled(true);
    setMsApps({});
    setSwapBytes(4'830'000'000);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    setBootDate(now.addSecs(-154'800));

    const std::filesystem::path folder = QDir::tempPath().toStdString() + "/ampa-demo";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::vector<FileItem> downloads;
    for (const SampleDownload &sample : sampleDownloads) {
        const std::filesystem::path file = folder / sample.name;
        // O_EXCL: an existing sample file is reused, never truncated or followed.
        const int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0)
            close(fd);
        downloads.emplace_back(file, sample.size, now.addDays(-sample.ageDays));
    }
    setDownloads(std::move(downloads));

    std::vector<FileItem> apps;
    for (const char *name : {"Safari", "Xcode", "Keynote", "Numbers", "Pages"}) {
        const std::filesystem::path app = std::string("/Applications/") + name + ".app";
        if (Engine::exists(app))
            apps.emplace_back(app, 900'000'000, now);
    }
    setApps(std::move(apps));
    setDevItems(sampleDevItems());
    const QStringList keptProjects = Settings::instance().projectKeep();
    std::vector<ProjectItem> projects;
    for (Engine::Project &project : sampleProjects()) {
        const QString id = "sample-" + Engine::displayPath(project.path.filename());
        const bool kept = keptProjects.contains(Engine::displayPath(project.path));
        project.kept = kept;
        projects.push_back({std::move(project), id, kept});
    }
    setProjects(std::move(projects));
    setScanning(false);
    setScanningAdv(false);
}

void Model::startDemo()
{
    const Settings &settings = Settings::instance();
    if (settings.isStored(Settings::Key::demoPane)) {
        const QString value = settings.value(Settings::Key::demoPane).toString();
        setPane(value == QLatin1String("lanjutan")     ? Pane::lanjutan
                : value == QLatin1String("pengembang") ? Pane::pengembang
                : value == QLatin1String("proyek")     ? Pane::proyek
                : value == QLatin1String("downloads")  ? Pane::downloads
                : value == QLatin1String("aplikasi")   ? Pane::aplikasi
                                                       : Pane::cepat);
    }
    const double autoClean = settings.value(Settings::Key::demoAutoClean).toDouble();
    const double askAfter = settings.value(Settings::Key::demoAsk).toDouble();
    if (autoClean > 0)
        QTimer::singleShot(qRound64(autoClean * 1000), this, &Model::cleanQuick);
    if (askAfter > 0) {
        QTimer::singleShot(qRound64(askAfter * 1000), this, [this] {
            ask(bilingual("Hapus VM Claude Desktop?", "Delete the Claude Desktop VM?"),
                bilingual("Claude Desktop akan mengunduhnya ulang kalau fitur agent dipakai lagi. "
                          "Penghapusan ini permanen.",
                          "Claude Desktop downloads it again if the agent feature is used. This "
                          "deletion is permanent."),
                bilingual("Hapus", "Delete"), [] {});
        });
    }
}

void Model::simulateQuickClean()
{
    QTimer::singleShot(simulatedCleanMs, this, [this] {
        qint64 freed = 0;
        QMap<QString, qint64> sizes = m_sizes;
        for (auto it = sizes.begin(); it != sizes.end(); ++it) {
            if (it.key() != QLatin1String("comet")) {
                freed += it.value();
                it.value() = 0;
            }
        }
        setSizes(std::move(sizes));
        setFreeAndTotal(m_free + freed, m_total);
        setStatuses({{"comet", {StatusKind::skipped, QStringLiteral("Comet"), std::nullopt}}});
        setResult(Pane::cepat, quickSubject(), freedWith(freed));
        setBusy(false);
    });
}
