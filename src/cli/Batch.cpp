#include "Batch.h"

#include "RenderOptions.h"
#include "controller/zent3controller.h"
#include "input/FileList.h"
#include "output/OutputNaming.h"
#include "platform/UiServices.h"
#include "presets/PresetLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace quillum::cli {

const char* const kBatchUsage
    = "Usage: quillum-cli batch INPUT... --out DIR [options] [render options]\n"
      "\n"
      "Crops every photo of the INPUT files and folders with one set of settings and writes the\n"
      "outputs into DIR. Each photo is opened as the window opens it (turned upright by its EXIF\n"
      "orientation, the frame placed by the opening rule at the preset's ratio) and saved by the\n"
      "same code as the window's save. Existing files are never replaced without --overwrite.\n"
      "\n"
      "Options:\n"
      "  --out DIR          the output folder (made when missing)\n"
      "  --recursive        folders with their subfolders\n"
      "  --preset FILE      settings from a preset file (.zentpres): its remembered groups\n"
      "  --name NAME        the preset named NAME (the first one so named)\n"
      "  --index N          the preset at menu row N (from 0); default: the first preset\n"
      "  --type T           jpg, tif, png or webp (default jpg, or the --settings file's type)\n"
      "  --rule R           output names: source (default: the photo's own name), count (name-0001\n"
      "                     per photo), running (one running name from --first-name on)\n"
      "  --first-name NAME  where the running name starts (default ImageCrop-0001)\n"
      "  --no-exif-turn     keep photos as stored, ignoring their EXIF orientation\n"
      "  --jobs N           photos worked on at once (default: the number of cores)\n"
      "  --overwrite        replace existing output files\n"
      "  --dry-run          list what would be written, write nothing\n"
      "  --report FILE      one JSON line per photo: input, output, status, reason, milliseconds\n"
      "  --shard K/N        only the K-th (1..N) of N equal slices of the sorted photo list;\n"
      "                     the names are those of the whole list, so shards never collide\n"
      "  --quiet            no progress and no summary, only failures\n"
      "\n"
      "Render options (see quillum-cli --help) come after the preset and override it: --width,\n"
      "--height, --stretch, --autolevels, --sharpen, --mode, --quality, --metadata, --landscape,\n"
      "--borders, --caption, --logo, --settings FILE and the rest; --crop is for render only.\n"
      "\n"
      "Exit status: 0 all written (or already there), 1 some failed or the run was stopped with\n"
      "Ctrl+C (running photos finish; nothing partial is left), 2 a usage error.\n";

namespace {

int usageError(const QString& message)
{
    std::fprintf(stderr, "quillum-cli batch: %s\n", qPrintable(message));
    return 2;
}

struct BatchOptions {
    QStringList inputs;
    bool recursive = false;
    QString outDir;
    QString presetFile;
    QString presetName;
    int presetIndex = -1;
    std::optional<ImageFileType> type;
    int rule = 2;
    QString firstName = QStringLiteral("ImageCrop-0001");
    int jobs = std::max(1, QThread::idealThreadCount());
    bool quiet = false;
    bool overwrite = false;
    bool dryRun = false;
    bool exifTurn = true;
    QString reportFile;
    int shardK = 1;
    int shardN = 1;
    QStringList renderArgs; // passed on to every worker as they were given
};

// The batch options out of argv (after "batch" or "batch-worker"); the render options are
// applied to `controller` in their order to check them. Answers a usage message or nothing.
std::optional<QString> parseBatchOptions(
    const QStringList& args, BatchOptions& b, zent3controller& controller, RenderOptions& render)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        auto whole = [&](int min, int max) -> std::optional<int> {
            const auto text = value();
            bool ok = false;
            const int v = text ? text->toInt(&ok) : 0;
            return ok && v >= min && v <= max ? std::optional<int>(v) : std::nullopt;
        };
        if (!a.startsWith(QLatin1String("--"))) {
            b.inputs << a;
        } else if (a == QLatin1String("--recursive")) {
            b.recursive = true;
        } else if (a == QLatin1String("--out")) {
            const auto v = value();
            if (!v || v->isEmpty())
                return QStringLiteral("--out wants a folder");
            b.outDir = *v;
        } else if (a == QLatin1String("--preset")) {
            const auto v = value();
            if (!v)
                return QStringLiteral("--preset wants a .zentpres file");
            b.presetFile = *v;
        } else if (a == QLatin1String("--name")) {
            const auto v = value();
            if (!v)
                return QStringLiteral("--name wants a preset name");
            b.presetName = *v;
        } else if (a == QLatin1String("--index")) {
            const auto v = whole(0, kMaxPresetEntries);
            if (!v)
                return QStringLiteral("--index wants a row number from 0");
            b.presetIndex = *v;
        } else if (a == QLatin1String("--type")) {
            const auto v = value();
            b.type = v ? imageFileTypeForExtension(*v) : std::nullopt;
            if (!b.type)
                return QStringLiteral("--type wants one of %1").arg(acceptedImageFileExtensions());
        } else if (a == QLatin1String("--rule")) {
            const auto v = value();
            if (v == QLatin1String("count"))
                b.rule = 0;
            else if (v == QLatin1String("running"))
                b.rule = 1;
            else if (v == QLatin1String("source"))
                b.rule = 2;
            else
                return QStringLiteral("--rule wants source, count or running");
        } else if (a == QLatin1String("--first-name")) {
            const auto v = value();
            if (!v || v->isEmpty() || v->contains(QLatin1Char('/')))
                return QStringLiteral("--first-name wants a file name without a folder");
            b.firstName = *v;
        } else if (a == QLatin1String("--no-exif-turn")) {
            b.exifTurn = false;
        } else if (a == QLatin1String("--jobs")) {
            const auto v = whole(1, 256);
            if (!v)
                return QStringLiteral("--jobs wants a number from 1 to 256");
            b.jobs = *v;
        } else if (a == QLatin1String("--overwrite")) {
            b.overwrite = true;
        } else if (a == QLatin1String("--dry-run")) {
            b.dryRun = true;
        } else if (a == QLatin1String("--quiet")) {
            b.quiet = true;
        } else if (a == QLatin1String("--report")) {
            const auto v = value();
            if (!v || v->isEmpty())
                return QStringLiteral("--report wants a file");
            b.reportFile = *v;
        } else if (a == QLatin1String("--shard")) {
            const auto v = value();
            const QStringList kn = v ? v->split(QLatin1Char('/')) : QStringList();
            bool okK = false, okN = false;
            const int k = kn.size() == 2 ? kn[0].toInt(&okK) : 0;
            const int n = kn.size() == 2 ? kn[1].toInt(&okN) : 0;
            if (!okK || !okN || n < 1 || k < 1 || k > n)
                return QStringLiteral("--shard wants K/N with 1 <= K <= N");
            b.shardK = k;
            b.shardN = n;
        } else if (a == QLatin1String("--crop")) {
            return QStringLiteral("--crop is for render: a batch places the frame by the opening rule");
        } else {
            const int first = i;
            bool known = true;
            const QString error = applyRenderOption(controller, args, i, render, known);
            if (!known)
                return QStringLiteral("unknown option %1 (see quillum-cli batch --help)").arg(a);
            if (!error.isEmpty())
                return error;
            b.renderArgs << args.mid(first, i - first + 1);
        }
    }
    if (b.presetFile.isEmpty() && (!b.presetName.isEmpty() || b.presetIndex >= 0))
        return QStringLiteral("--name and --index choose a preset of --preset FILE");
    return std::nullopt;
}

// The controller as a batch uses it: the preset, then the render options over it (in their
// order), then the saving options.
std::optional<QString> makeController(zent3controller& c, const BatchOptions& b)
{
    c.setLookAheadEnabled(false);
    c.setRotationThumbnailsEnabled(false);
    c.setPlaySoundOnSave(false);
    if (!b.presetFile.isEmpty()) {
        Result<PresetList> read = readPresetFile(b.presetFile);
        if (!read)
            return read.error();
        PresetLibrary library;
        library.setEntries(std::move(read.value()));
        int row = -1;
        for (int i = 0; i < library.size() && row < 0; ++i)
            if (library.isPreset(i)
                && (b.presetName.isEmpty() ? (b.presetIndex < 0 || b.presetIndex == i)
                                           : library.preset(i).name() == b.presetName))
                row = i;
        if (row < 0)
            return b.presetName.isEmpty()
                ? QStringLiteral("“%1” has no preset at row %2").arg(b.presetFile).arg(b.presetIndex)
                : QStringLiteral("“%1” has no preset named “%2”").arg(b.presetFile, b.presetName);
        c.loadPresetToController(library.preset(row));
    }
    RenderOptions render;
    for (int i = 0; i < b.renderArgs.size(); ++i) {
        bool known = true;
        const QString error = applyRenderOption(c, b.renderArgs, i, render, known);
        if (!known || !error.isEmpty())
            return error.isEmpty() ? QStringLiteral("unknown option %1").arg(b.renderArgs[i]) : error;
    }
    // After --settings, which sets its own.
    c.setUseEXIfRotation(b.exifTurn);
    c.setLookAheadEnabled(false);
    if (b.type)
        c.setCurrentOutputFileType(*b.type);
    if (render.qualityGiven)
        c.setCurrentJpegQuality(render.quality);
    if (render.metadataGiven)
        c.setCurrentSaveWithMetadata(render.options.withMetadata);
    if (render.options.landscape)
        c.setCurrentSavingLandscape(true);
    if (render.options.keepAlpha)
        c.setNoTransparencyChannel(false);
    // The settings file, if any, is only read: a batch never writes it.
    return std::nullopt;
}

QByteArray field(const QString& s)
{
    return s.toUtf8().toPercentEncoding();
}

QString unfield(const QByteArray& b)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(b));
}

// The worker's alerts are its messages.
struct WorkerUi : UiServices {
    QString last;
    AlertButton runAlert(const QString& title, const QString& message, const QStringList&) override
    {
        last = message.isEmpty() ? title : message;
        return AlertButton::Second;
    }
};

// One planned output.
struct Job {
    QString input;
    QString output;
    QString status; // "ok", "failed", "skipped", "not done"
    QString reason;
    qint64 ms = 0;
};

volatile std::sig_atomic_t g_interrupted = 0;
int g_signalPipe[2] = { -1, -1 };

void onInterrupt(int)
{
    g_interrupted = 1;
    const char c = 1;
    if (g_signalPipe[1] >= 0)
        (void)!::write(g_signalPipe[1], &c, 1);
}

// The parent: hands photos to the workers, one at a time each, and keeps the tally.
class Runner {
public:
    Runner(const BatchOptions& b, std::vector<Job>& jobs, QStringList workerArgs)
        : m_b(b)
        , m_jobs(jobs)
        , m_workerArgs(std::move(workerArgs))
        , m_tty(::isatty(STDERR_FILENO) && !b.quiet)
    {
        for (std::size_t i = 0; i < jobs.size(); ++i)
            if (jobs[i].status.isEmpty())
                m_pending.push_back(i);
            else
                ++m_done;
        if (!b.reportFile.isEmpty()) {
            m_report.setFileName(b.reportFile);
            if (!m_report.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
                m_reportError = m_report.errorString();
        }
        for (const Job& j : jobs)
            if (!j.status.isEmpty())
                writeReport(j);
    }

    QString reportError() const { return m_reportError; }

    void run()
    {
        m_clock.start();
        const int workers = int(std::min<std::size_t>(std::size_t(m_b.jobs), m_pending.size()));
        for (int i = 0; i < workers; ++i)
            startWorker();
        QTimer progress;
        if (m_tty) {
            QObject::connect(&progress, &QTimer::timeout, [this] { drawProgress(); });
            progress.start(500);
        }
        QSocketNotifier interrupt(g_signalPipe[0], QSocketNotifier::Read);
        QObject::connect(&interrupt, &QSocketNotifier::activated, [this] {
            char c;
            (void)!::read(g_signalPipe[0], &c, 1);
            stop();
        });
        if (!m_workers.empty())
            QCoreApplication::exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (m_tty)
            std::fputs("\r\033[K", stderr);
        for (std::size_t i : m_pending)
            finish(i, QStringLiteral("not done"), QStringLiteral("the run was stopped"), 0);
        m_pending.clear();
    }

    double seconds() const { return m_clock.isValid() ? m_clock.elapsed() / 1000.0 : 0.0; }
    bool stopped() const { return m_stopping; }

private:
    struct Worker {
        QProcess* process = nullptr; // deleted later: it may be the one emitting
        std::optional<std::size_t> job;
        QByteArray buffer;
    };

    void startWorker()
    {
        m_workers.push_back(std::make_unique<Worker>());
        Worker* w = m_workers.back().get();
        w->process = new QProcess;
        QProcess* p = w->process;
        p->setReadChannel(QProcess::StandardOutput);
        // Its warnings (a damaged file's) are the user's to see.
        p->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(p, &QProcess::readyReadStandardOutput, [this, w] { readAnswers(*w); });
        QObject::connect(p, &QProcess::finished, [this, w](int code, QProcess::ExitStatus status) {
            workerEnded(w,
                status == QProcess::CrashExit ? QStringLiteral("the worker crashed")
                                              : QStringLiteral("the worker ended (status %1)").arg(code));
        });
        QObject::connect(p, &QProcess::errorOccurred, [this, w](QProcess::ProcessError e) {
            if (e == QProcess::FailedToStart)
                workerEnded(w, QStringLiteral("the worker could not be started: %1").arg(w->process->errorString()));
        });
        p->start(
            QCoreApplication::applicationFilePath(), QStringList { QStringLiteral("batch-worker") } + m_workerArgs);
        dispatch(*w);
    }

    void dispatch(Worker& w)
    {
        if (m_stopping || m_pending.empty()) {
            w.process->closeWriteChannel();
            return;
        }
        const std::size_t i = m_pending.front();
        m_pending.pop_front();
        w.job = i;
        w.process->write(field(m_jobs[i].input) + '\t' + field(m_jobs[i].output) + '\n');
    }

    void readAnswers(Worker& w)
    {
        w.buffer += w.process->readAllStandardOutput();
        qsizetype end;
        while ((end = w.buffer.indexOf('\n')) >= 0) {
            const QList<QByteArray> parts = w.buffer.left(end).split('\t');
            w.buffer.remove(0, end + 1);
            if (!w.job || parts.size() < 3)
                continue;
            const std::size_t i = *w.job;
            w.job.reset();
            finish(i, QString::fromLatin1(parts[0]), unfield(parts[2]), parts[1].toLongLong());
            dispatch(w);
        }
    }

    void workerEnded(Worker* w, const QString& why)
    {
        if (w->job) {
            finish(*w->job, QStringLiteral("failed"), why, 0);
            w->job.reset();
        }
        QObject::disconnect(w->process, nullptr, nullptr, nullptr);
        w->process->deleteLater();
        std::erase_if(m_workers, [w](const std::unique_ptr<Worker>& x) { return x.get() == w; });
        // A worker that died mid-run is replaced while photos are waiting.
        if (!m_stopping && !m_pending.empty() && !why.startsWith(QLatin1String("the worker could not be started")))
            startWorker();
        if (m_workers.empty())
            QCoreApplication::exit(0);
    }

    void stop()
    {
        if (m_stopping)
            return;
        m_stopping = true;
        if (!m_b.quiet)
            std::fprintf(
                stderr, "%sStopping: the photos being written finish, nothing else starts.\n", m_tty ? "\r\033[K" : "");
        for (const auto& w : m_workers)
            if (!w->job)
                w->process->closeWriteChannel();
    }

    void finish(std::size_t i, const QString& status, const QString& reason, qint64 ms)
    {
        Job& j = m_jobs[i];
        j.status = status;
        j.reason = reason;
        j.ms = ms;
        ++m_done;
        if (status == QLatin1String("ok"))
            ++m_written;
        if (status == QLatin1String("failed")) {
            std::fprintf(stderr, "%s%s: %s\n", m_tty ? "\r\033[K" : "", qPrintable(QDir::toNativeSeparators(j.input)),
                qPrintable(reason));
        }
        writeReport(j);
        if (m_tty)
            drawProgress();
    }

    void writeReport(const Job& j)
    {
        if (!m_report.isOpen())
            return;
        QJsonObject o { { QStringLiteral("input"), j.input }, { QStringLiteral("output"), j.output },
            { QStringLiteral("status"), j.status }, { QStringLiteral("reason"), j.reason },
            { QStringLiteral("milliseconds"), j.ms } };
        m_report.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
        m_report.flush();
    }

    void drawProgress()
    {
        const qsizetype total = qsizetype(m_jobs.size());
        const double s = seconds();
        const double rate = s > 0 ? m_written / s : 0.0;
        const qsizetype left = total - m_done;
        constexpr int kWidth = 30;
        const int filled = total ? int(kWidth * m_done / total) : kWidth;
        QString bar = QString(filled, QLatin1Char('#')) + QString(kWidth - filled, QLatin1Char('.'));
        QString eta = rate > 0 ? QStringLiteral("%1 s left").arg(qRound(left / rate)) : QStringLiteral("…");
        std::fprintf(stderr, "\r\033[K[%s] %lld/%lld  %.1f photos/s  %s", qPrintable(bar), (long long)m_done,
            (long long)total, rate, qPrintable(eta));
        std::fflush(stderr);
    }

    const BatchOptions& m_b;
    std::vector<Job>& m_jobs;
    QStringList m_workerArgs;
    bool m_tty;
    std::deque<std::size_t> m_pending;
    std::vector<std::unique_ptr<Worker>> m_workers;
    qsizetype m_done = 0;
    qsizetype m_written = 0;
    bool m_stopping = false;
    QElapsedTimer m_clock;
    QFile m_report;
    QString m_reportError;
};

QStringList argsAfter(int argc, char** argv, int first)
{
    QStringList args;
    for (int i = first; i < argc; ++i)
        args << QFile::decodeName(argv[i]);
    return args;
}

} // namespace

int runBatch(int argc, char** argv)
{
    const QStringList args = argsAfter(argc, argv, 2);
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kBatchUsage, stdout);
        return 0;
    }
    for (int i = 2; i < argc; ++i)
        if (!nameSurvives(argv[i]))
            return usageError(QStringLiteral("“%1” is not valid UTF-8; Quillum opens and saves only files whose names "
                                             "are")
                                  .arg(QFile::decodeName(argv[i])));

    // Fonts for the captions are needed only to check the options here.
    std::unique_ptr<QCoreApplication> app;
    static int appArgc = 1;
    if (needsFonts(args)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(appArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, argv);
    }

    BatchOptions b;
    {
        zent3controller check;
        RenderOptions render;
        if (const std::optional<QString> error = parseBatchOptions(args, b, check, render))
            return usageError(*error);
    }
    if (b.inputs.isEmpty() || b.outDir.isEmpty()) {
        std::fputs(kBatchUsage, stderr);
        return 2;
    }
    zent3controller configured;
    if (const std::optional<QString> error = makeController(configured, b))
        return usageError(*error);
    const ImageFileType type = configured.currentOutputFileType();

    // The photos: folders listed (sorted as the window lists them), files as given.
    std::vector<Job> jobs;
    QStringList photos;
    for (const QString& input : b.inputs) {
        const QFileInfo fi(input);
        if (fi.isDir())
            photos << listPictures(fi.absoluteFilePath(), b.recursive);
        else if (fi.isFile())
            photos << fi.absoluteFilePath();
        else
            jobs.push_back(
                { input, {}, QStringLiteral("failed"), QStringLiteral("there is no such file or folder"), 0 });
    }
    sortPicturePaths(photos);
    photos.removeDuplicates();

    // Names over the whole list, so that every shard names its photos as one run would.
    QSet<QString> used;
    QString current = b.firstName;
    const QString outDir = QFileInfo(b.outDir).absoluteFilePath();
    std::vector<Job> planned;
    for (const QString& photo : photos) {
        QString name = outputFileNameForShownPicture(b.rule, current, QFileInfo(photo).completeBaseName());
        // Two photos of the same name (from two folders) never share an output.
        while (used.contains(name.toCaseFolded()))
            name = incrementCurrentFileName(name);
        used.insert(name.toCaseFolded());
        if (outputFileRuleCounts(b.rule))
            current = incrementCurrentFileName(name);
        planned.push_back({ photo, outputFilePath(outDir, name, type), {}, {}, 0 });
    }
    const std::size_t from = planned.size() * std::size_t(b.shardK - 1) / std::size_t(b.shardN);
    const std::size_t to = planned.size() * std::size_t(b.shardK) / std::size_t(b.shardN);
    for (std::size_t i = from; i < to; ++i) {
        Job& j = planned[i];
        if (!b.overwrite && QFileInfo::exists(j.output)) {
            j.status = QStringLiteral("skipped");
            j.reason = QStringLiteral("the output exists (--overwrite replaces it)");
        }
        jobs.push_back(std::move(j));
    }

    if (b.dryRun) {
        for (const Job& j : jobs)
            std::printf("%s -> %s%s\n", qPrintable(j.input),
                qPrintable(j.output.isEmpty() ? QStringLiteral("-") : j.output),
                j.status.isEmpty() ? "" : qPrintable(QStringLiteral("  (%1: %2)").arg(j.status, j.reason)));
        return 0;
    }

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        struct sigaction sa { };
        sa.sa_handler = onInterrupt;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        sigaction(SIGINT, &sa, nullptr);
        sigaction(SIGTERM, &sa, nullptr);
    }

    QStringList workerArgs = b.renderArgs;
    if (!b.presetFile.isEmpty()) {
        workerArgs << QStringLiteral("--preset") << b.presetFile;
        if (!b.presetName.isEmpty())
            workerArgs << QStringLiteral("--name") << b.presetName;
        if (b.presetIndex >= 0)
            workerArgs << QStringLiteral("--index") << QString::number(b.presetIndex);
    }
    workerArgs << QStringLiteral("--type") << imageFileTypeExtension(type) << QStringLiteral("--jobs")
               << QString::number(b.jobs);
    if (!b.exifTurn)
        workerArgs << QStringLiteral("--no-exif-turn");
    if (b.overwrite)
        workerArgs << QStringLiteral("--overwrite");

    Runner runner(b, jobs, workerArgs);
    if (!runner.reportError().isEmpty())
        return usageError(
            QStringLiteral("the report “%1” cannot be written: %2").arg(b.reportFile, runner.reportError()));
    runner.run();

    qsizetype ok = 0, failed = 0, skipped = 0, notDone = 0;
    for (const Job& j : jobs) {
        if (j.status == QLatin1String("ok"))
            ++ok;
        else if (j.status == QLatin1String("skipped"))
            ++skipped;
        else if (j.status == QLatin1String("not done"))
            ++notDone;
        else
            ++failed;
    }
    if (!b.quiet) {
        const double s = runner.seconds();
        std::printf("%lld written, %lld already there, %lld failed%s in %.1f s (%.2f photos/s)\n", (long long)ok,
            (long long)skipped, (long long)failed,
            notDone ? qPrintable(QStringLiteral(", %1 not done (stopped)").arg(notDone)) : "", s, s > 0 ? ok / s : 0.0);
        for (const Job& j : jobs)
            if (j.status == QLatin1String("failed"))
                std::printf("  failed: %s: %s\n", qPrintable(j.input), qPrintable(j.reason));
    }
    return failed || notDone ? 1 : 0;
}

int runBatchWorker(int argc, char** argv)
{
    // Ctrl+C reaches the whole process group: the parent decides, the photo being written
    // finishes.
    std::signal(SIGINT, SIG_IGN);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int appArgc = 1;
    QGuiApplication app(appArgc, argv);

    const QStringList args = argsAfter(argc, argv, 2);
    BatchOptions b;
    std::optional<QString> error;
    {
        zent3controller check;
        RenderOptions render;
        error = parseBatchOptions(args, b, check, render);
    }
    zent3controller controller;
    WorkerUi ui;
    controller.setUiServices(&ui);
    if (!error)
        error = makeController(controller, b);

    QFile in;
    (void)in.open(stdin, QIODevice::ReadOnly);
    QFile out;
    (void)out.open(stdout, QIODevice::WriteOnly);
    QElapsedTimer clock;
    while (true) {
        const QByteArray line = in.readLine();
        if (line.isEmpty())
            break;
        const QList<QByteArray> parts = line.trimmed().split('\t');
        clock.start();
        QString status = QStringLiteral("failed"), reason;
        if (error) {
            reason = *error;
        } else if (parts.size() != 2) {
            reason = QStringLiteral("the worker was asked something it does not understand");
        } else {
            const QString input = unfield(parts[0]), output = unfield(parts[1]);
            ui.last.clear();
            if (!b.overwrite && QFileInfo::exists(output)) {
                status = QStringLiteral("skipped");
                reason = QStringLiteral("the output exists (--overwrite replaces it)");
            } else if (!controller.openPicture(input)) {
                reason = ui.last.isEmpty() ? QStringLiteral("it could not be opened") : ui.last;
            } else if (!controller.outPict()) {
                reason = controller.renderFailure().isEmpty() ? QStringLiteral("nothing was rendered")
                                                              : controller.renderFailure();
            } else if (!controller.saveCropToPath(output)) {
                reason = ui.last.isEmpty() ? QStringLiteral("it could not be saved") : ui.last;
            } else {
                status = QStringLiteral("ok");
                reason
                    = controller.losslessWhenPossible() ? controller.savedLabelText() : controller.operationTimeLabel();
            }
        }
        out.write(status.toLatin1() + '\t' + QByteArray::number(clock.elapsed()) + '\t' + field(reason) + '\n');
        out.flush();
    }
    return 0;
}

} // namespace quillum::cli
