// quillum-bench: medians of the decode, the working-bitmap conversion and the output
// render on the benchmark photo (PhotoMaker.h). Prints timings only; asserts none.
//
//   quillum-bench [--photo PATH] [Google Benchmark flags]   (makes the photo if missing)
//   quillum-bench --make-photo PATH                         (makes the photo and exits)
//   quillum-bench [--photo PATH] --render-hashes            (a hash of each render's pixels)

#include "PhotoMaker.h"

#include "controller/zent3controller.h"
#include "cropframe/PkCroppingImageView.h"
#include "decorations/DecorationDrawing.h"
#include "decorations/LogoImage.h"
#include "imaging/SourceRotation.h"
#include "imaging/WorkingBitmap.h"
#include "input/FileList.h"
#include "platform/ImageDecoder.h"
#include "platform/ImageEncoder.h"
#include "platform/UserDefaults.h"

#include <QCryptographicHash>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

using namespace quillum;

namespace {

std::string g_photoPath = QUILLUM_BENCH_PHOTO;

// Decoded once: every benchmark but the decode starts from the same bitmap.
const DecodedBitmap* decodedPhoto()
{
    static std::unique_ptr<DecodedBitmap> photo = []() -> std::unique_ptr<DecodedBitmap> {
        Result<DecodedBitmap> decoded = decodeImageFile(QString::fromStdString(g_photoPath));
        if (!decoded) {
            std::fprintf(stderr, "quillum-bench: %s\n", qPrintable(decoded.error()));
            return nullptr;
        }
        return std::make_unique<DecodedBitmap>(std::move(*decoded));
    }();
    return photo.get();
}

Rect wholePicture(const BitmapImageRep& bitmap)
{
    return Rect { 0, 0, double(bitmap.pixelsWide()), double(bitmap.pixelsHigh()) };
}

void BM_decode(benchmark::State& state)
{
    const QString path = QString::fromStdString(g_photoPath);
    for (auto _ : state) {
        Result<DecodedBitmap> decoded = decodeImageFile(path);
        if (!decoded) {
            state.SkipWithError(qPrintable(decoded.error()));
            break;
        }
        benchmark::DoNotOptimize(decoded->bitmap.bitmapData());
    }
}

void BM_convert(benchmark::State& state)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("the photo did not decode");
        return;
    }
    const Rect whole = wholePicture(photo->bitmap);
    for (auto _ : state) {
        BitmapImageRep working = convertToWorkingBitmap(photo->bitmap, whole);
        if (working.isNull()) {
            state.SkipWithError("the conversion gave a null bitmap");
            break;
        }
        benchmark::DoNotOptimize(working.bitmapData());
    }
}

struct RenderSettings {
    bool autoLevels = false;
    bool pictureCorrection = false;
    int sharpen = 0;
    int fixedWidth = 0; // 0: no scaling
    int cropSide = 0; // 0: the whole picture, else a centred square of this side
    float gamma = 1.0f;
    float red = 0.0f;
    bool invert = false;
    int outputMode = OutputModeColor;
    bool flipHorizontal = false;
};

Rect frameFor(const BitmapImageRep& bitmap, const RenderSettings& settings)
{
    if (settings.cropSide <= 0)
        return wholePicture(bitmap);
    const double side = settings.cropSide;
    return Rect { (bitmap.pixelsWide() - side) / 2, (bitmap.pixelsHigh() - side) / 2, side, side };
}

// A controller on the photo with every setting applied and the frame set.
void setUpRender(zent3controller& controller, const DecodedBitmap& photo, const RenderSettings& settings)
{
    controller.setSourcePicture(photo.bitmap.clone(), photo.properties, QString::fromStdString(g_photoPath));
    controller.leftPanel().selRect()->setFrame(frameFor(photo.bitmap, settings));
    // One render for all the settings instead of one per setter.
    zent3controller::RenderBatch batch(controller);
    controller.setAutoLevelsIsOn(settings.autoLevels);
    controller.setPictureCorrectionIsOn(settings.pictureCorrection);
    controller.setGammaValue(settings.gamma);
    controller.setRedValue(settings.red);
    controller.setInvertIsOn(settings.invert);
    controller.setOutputModeTag(settings.outputMode);
    controller.setFlipHorizontal(settings.flipHorizontal);
    controller.setSharpenLevel(settings.sharpen);
    if (settings.fixedWidth > 0) {
        controller.setOutputWidthIsFixed(true);
        controller.setOutputWidthVal(settings.fixedWidth);
    }
}

void BM_render(benchmark::State& state, RenderSettings settings)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("the photo did not decode");
        return;
    }
    zent3controller controller;
    setUpRender(controller, *photo, settings);
    // Also a warm-up: the first render pays for first-touch page faults of its buffers.
    controller.redrawOutput();
    const auto out = controller.outPict();
    const int expectedWidth = settings.fixedWidth > 0
        ? settings.fixedWidth
        : (settings.cropSide > 0 ? settings.cropSide : photo->bitmap.pixelsWide());
    if (!out || out->pixelsWide() != expectedWidth) {
        state.SkipWithError("the render did not give the expected output");
        return;
    }
    state.SetLabel(std::to_string(out->pixelsWide()) + "x" + std::to_string(out->pixelsHigh()));
    for (auto _ : state) {
        controller.redrawOutput();
        benchmark::DoNotOptimize(controller.outPict().get());
    }
}

// The first render after a picture is opened: the controller and its buffers are new, so
// the render also pays for first-touch page faults. Only the render is timed.
void BM_firstRender(benchmark::State& state, RenderSettings settings)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("the photo did not decode");
        return;
    }
    for (auto _ : state) {
        auto controller = std::make_unique<zent3controller>();
        setUpRender(*controller, *photo, settings);
        BitmapImageRep::releaseRecycledBuffers();
        const auto start = std::chrono::steady_clock::now();
        controller->redrawOutput();
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        if (!controller->outPict()) {
            state.SkipWithError("the render gave no output");
            break;
        }
    }
}

// --render-hashes: one line per setting combination with a hash of the output pixels, so a
// change meant to be faster only can be checked for identical bytes against the last build.
int printRenderHashes()
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo)
        return 1;
    const std::pair<const char*, RenderSettings> rows[] = {
        { "whole", {} },
        { "whole autolevels", { .autoLevels = true } },
        { "w1920 plain", { .fixedWidth = 1920 } },
        { "w1920 autolevels+correction+sharpen1",
            { .autoLevels = true, .pictureCorrection = true, .sharpen = 1, .fixedWidth = 1920 } },
        { "w1920 correction gamma 0.7 red 0.2 invert sepia sharpen2",
            { .pictureCorrection = true,
                .sharpen = 2,
                .fixedWidth = 1920,
                .gamma = 0.7f,
                .red = 0.2f,
                .invert = true,
                .outputMode = OutputModeSepia } },
        { "w1920 autolevels black and white mirrored sharpen3",
            { .autoLevels = true,
                .sharpen = 3,
                .fixedWidth = 1920,
                .outputMode = OutputModeBlackAndWhite,
                .flipHorizontal = true } },
        { "w700 autolevels sharpen1", { .autoLevels = true, .sharpen = 1, .fixedWidth = 700 } },
        { "w5000 autolevels", { .autoLevels = true, .fixedWidth = 5000 } },
        { "crop4000 autolevels+sharpen1", { .autoLevels = true, .sharpen = 1, .cropSide = 4000 } },
        { "crop4000 correction invert sharpen1",
            { .pictureCorrection = true, .sharpen = 1, .cropSide = 4000, .gamma = 1.3f, .invert = true } },
        { "crop1001 w640 autolevels+correction+sharpen1",
            { .autoLevels = true, .pictureCorrection = true, .sharpen = 1, .fixedWidth = 640, .cropSide = 1001 } },
    };
    for (const auto& [name, settings] : rows) {
        zent3controller controller;
        setUpRender(controller, *photo, settings);
        controller.redrawOutput();
        const auto out = controller.outPict();
        if (!out) {
            std::printf("%-60s no output\n", name);
            continue;
        }
        QCryptographicHash hash(QCryptographicHash::Sha256);
        for (int y = 0; y < out->pixelsHigh(); ++y)
            hash.addData(QByteArrayView(
                out->bitmapData() + std::size_t(y) * out->bytesPerRow(), qsizetype(out->pixelsWide()) * 4));
        std::printf(
            "%-60s %dx%d %s\n", name, out->pixelsWide(), out->pixelsHigh(), hash.result().toHex().left(16).constData());
    }
    return 0;
}

// The crop panel's per-event cost: 10^6 drag steps (a corner with a locked ratio, the
// costliest rule) and 10^6 hit tests per iteration, so milliseconds read as ns per step.
class NeverFires final : public OneShotTimer {
public:
    void fireAfter(double, std::function<void()>) override { }
    void stop() override { }
    bool isActive() const override { return false; }
};

void BM_dragSteps(benchmark::State& state)
{
    NotificationCenter center;
    PkCroppingImageView view(center, std::make_unique<NeverFires>());
    view.setPictureSize({ 6000, 4000 });
    view.setFrameSize({ 6000, 4000 });
    view.setScrollViewFrameSize({ 6000, 4000 });
    view.selRect()->setFrame({ 1000, 1000, 3000, 2000 });
    view.selRect()->setCropAspectRatioXY(3, 2);
    view.mouseDown({ { 4000, 3000 } });
    if (view.selectionMoveType() != HandleTopRight)
        state.SkipWithError("the press missed the corner");
    for (auto _ : state) {
        for (int i = 0; i < 1000000; ++i)
            view.mouseDragged({ { 4000.0 + (i & 1023), 3000.0 - (i & 511) } });
        benchmark::DoNotOptimize(view.selRect()->frame());
    }
}

void BM_hitTests(benchmark::State& state)
{
    NotificationCenter center;
    PkCroppingImageView view(center, std::make_unique<NeverFires>());
    view.setPictureSize({ 6000, 4000 });
    view.setFrameSize({ 6000, 4000 });
    view.setScrollViewFrameSize({ 6000, 4000 });
    view.selRect()->setFrame({ 1000, 1000, 3000, 2000 });
    int sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000000; ++i)
            sum += view.gripPoint({ 900.0 + (i % 3300), 900.0 + (i % 2300) });
        benchmark::DoNotOptimize(sum);
    }
}

BitmapImageRep constructWorking(const BitmapImageRep& source)
{
    return convertToWorkingBitmap(source, Rect { 0, 0, double(source.pixelsWide()), double(source.pixelsHigh()) });
}

// Turning the 6000 x 4000 source from its backup (the working bitmap made once).
void BM_rotate(benchmark::State& state, float degrees)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("no photo");
        return;
    }
    static const BitmapImageRep backup = constructWorking(photo->bitmap);
    for (auto _ : state) {
        BitmapImageRep turned = rotateBackup(backup, degrees);
        benchmark::DoNotOptimize(turned.bitmapData());
    }
}

// A folder of five copies of the benchmark photo, made on first use (any benchmark may run
// alone under a filter).
std::filesystem::path fivePhotoFolder()
{
    const std::filesystem::path folder = std::filesystem::path(g_photoPath).parent_path() / "folder";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < 5; ++i) {
        const auto copy = folder / ("photo-" + std::to_string(i) + ".jpg");
        if (!std::filesystem::exists(copy))
            std::filesystem::copy_file(g_photoPath, copy);
    }
    return folder;
}

// Stepping to the next photo of a folder of five 6000 x 4000 JPEGs after looking at the
// current one for a second: with the look-ahead the decode is already done.
void BM_nextPicture(benchmark::State& state, bool lookAhead)
{
    const std::filesystem::path folder = fivePhotoFolder();
    NotificationCenter center;
    zent3controller controller(center);
    controller.setLookAheadEnabled(lookAhead);
    controller.leftPanel().setScrollViewFrameSize({ 1200, 800 });
    controller.applicationOpenFile(QString::fromStdString((folder / "photo-0.jpg").string()));
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        const auto start = std::chrono::steady_clock::now();
        if (controller.currentPicIndex() + 1 >= controller.pics().size())
            controller.goFirstPic();
        else
            controller.goNextPic();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
}

// Listing and sorting a folder of 10 000 files (9 000 of them pictures).
void BM_listFolder(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::path(g_photoPath).parent_path() / "ten-thousand";
    if (!std::filesystem::exists(folder / "file-9999.txt")) {
        std::filesystem::create_directories(folder);
        for (int i = 0; i < 10000; ++i) {
            const std::string name = "file-" + std::to_string(i) + (i % 10 == 9 ? ".txt" : i % 3 ? ".jpg" : ".PNG");
            std::FILE* f = std::fopen((folder / name).c_str(), "w");
            if (f)
                std::fclose(f);
        }
    }
    const QString path = QString::fromStdString(folder.string());
    for (auto _ : state) {
        const QStringList pictures = listPictures(path, false);
        benchmark::DoNotOptimize(pictures.size());
    }
}

// Writing a 1920 x 1280 output as JPEG q90, without and with metadata (libjpeg, or libvips
// and Exiv2), staged and renamed into place.
void BM_saveJpeg(benchmark::State& state, bool metadata)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("no photo");
        return;
    }
    NotificationCenter center;
    zent3controller controller(center);
    controller.setSourcePicture(photo->bitmap.clone(), photo->properties, QString::fromStdString(g_photoPath));
    controller.setOutputWidthIsFixed(true);
    controller.setOutputWidthVal(1920);
    controller.leftPanel().selRect()->setFrame({ 0, 0, 6000, 4000 });
    controller.redrawOutput();
    const std::filesystem::path out = std::filesystem::path(g_photoPath).parent_path() / "saved.jpg";
    EncodeOptions options;
    options.withMetadata = metadata;
    options.metadataSourcePath = QString::fromStdString(g_photoPath);
    for (auto _ : state) {
        const Status written = writeWorkingBitmap(
            *controller.outPict(), QString::fromStdString(out.string()), ImageFileType::Jpeg, options);
        if (!written)
            state.SkipWithError("write failed");
    }
}

// A 3000 × 2000 crop of the 24 MP photo copied losslessly, metadata on: it decodes nothing,
// so it costs a read of the file, the entropy coding of the crop and the EXIF copy.
void BM_saveLosslessCrop(benchmark::State& state)
{
    const DecodedBitmap* photo = decodedPhoto();
    if (!photo) {
        state.SkipWithError("no photo");
        return;
    }
    NotificationCenter center;
    zent3controller controller(center);
    controller.setSourcePicture(photo->bitmap.clone(), photo->properties, QString::fromStdString(g_photoPath));
    controller.leftPanel().selRect()->setFrame({ 1001, 1001, 3000, 2000 });
    controller.redrawOutput();
    const QString out
        = QString::fromStdString((std::filesystem::path(g_photoPath).parent_path() / "lossless.jpg").string());
    EncodeOptions options;
    options.metadataSourcePath = QString::fromStdString(g_photoPath);
    for (auto _ : state) {
        QString whyNot;
        const Status written = controller.writeCropLosslessWhenPossible(out, ImageFileType::Jpeg, options, &whyNot);
        if (!written || !whyNot.isEmpty())
            state.SkipWithError("not written losslessly");
    }
}

void ensureGuiApplication();

// The whole gesture: save the crop and step to the next photo, after looking at it a second;
// the file written first (the command line) or while the next photo shows (the window, where
// the outcome arrives through the event loop). Timed until the next photo is shown, or until
// the write's outcome is taken (`untilConfirmed`).
void BM_saveAndAdvance(benchmark::State& state, bool whileAdvancing, bool untilConfirmed)
{
    if (whileAdvancing)
        ensureGuiApplication();
    const std::filesystem::path folder = fivePhotoFolder();
    const std::filesystem::path saved = std::filesystem::path(g_photoPath).parent_path() / "saved";
    std::filesystem::create_directories(saved);
    NotificationCenter center;
    zent3controller controller(center);
    controller.leftPanel().setScrollViewFrameSize({ 1200, 800 });
    controller.setPlaySoundOnSave(false);
    controller.setAdvanceToNextOnCrop(true);
    controller.setWriteWhileAdvancing(whileAdvancing);
    controller.setCurrentSaveWithMetadata(false);
    controller.setCurrentOutputPath(QString::fromStdString(saved.string()));
    controller.applicationOpenFile(QString::fromStdString((folder / "photo-0.jpg").string()));
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        if (controller.currentPicIndex() + 1 >= controller.pics().size())
            controller.goFirstPic();
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        controller.setFirstTimeSaving(false);
        std::filesystem::remove_all(saved); // nothing to replace: no question to answer
        std::filesystem::create_directories(saved);
        const int before = controller.currentPicIndex();
        const auto start = std::chrono::steady_clock::now();
        bool saved = controller.saveCrop();
        const auto shown = std::chrono::steady_clock::now();
        saved = controller.finishPendingSave() && saved;
        const auto confirmed = std::chrono::steady_clock::now();
        if (!saved || controller.currentPicIndex() == before)
            state.SkipWithError("the save did not write or advance");
        state.SetIterationTime(std::chrono::duration<double>((untilConfirmed ? confirmed : shown) - start).count());
    }
}

// Reading every setting at start (the file parsed, then applied) and writing them at quit,
// over the file of a program in use. Writing is measured into the store alone and with the
// file written, flushed to disk and checked: the flush is the disk's, not ours.
enum class SettingsStep { Read, Write, WriteAndFlush };
void BM_settings(benchmark::State& state, SettingsStep step)
{
    const std::filesystem::path file = std::filesystem::path(g_photoPath).parent_path() / "settings" / "Quillum.ini";
    const QString path = QString::fromStdString(file.string());
    {
        NotificationCenter center;
        zent3controller controller(center);
        UserDefaults store(path);
        controller.setUserDefaults(&store);
        controller.awakeFromNib();
        QStringList recent;
        for (int i = 0; i < 10; ++i)
            recent << QStringLiteral("/home/someone/Pictures/2026/trip-%1/IMG_%2.JPG").arg(i).arg(1000 + i);
        controller.setRecentImages(recent);
        controller.setCurrentOutputPath(QStringLiteral("/home/someone/Pictures/crops"));
        controller.setCustomLineColor(QColor(200, 40, 40));
        (void)controller.defaultsWrite();
    }
    NotificationCenter center;
    zent3controller controller(center);
    std::unique_ptr<UserDefaults> store = std::make_unique<UserDefaults>(path);
    controller.setUserDefaults(store.get());
    controller.awakeFromNib();
    if (step == SettingsStep::Write) {
        // The same values, kept in memory only.
        store = std::make_unique<UserDefaults>();
        controller.setUserDefaults(store.get());
    }
    const bool write = step != SettingsStep::Read;
    for (auto _ : state) {
        if (write) {
            if (!controller.defaultsWrite())
                state.SkipWithError("the settings were not written");
        } else {
            store = std::make_unique<UserDefaults>(path);
            controller.setUserDefaults(store.get());
            controller.defaultsRead();
        }
    }
}

// A library of 1,000 presets (with a separator every tenth entry) read from its archive and
// made into the Presets menu.
void BM_presetLibraryRead(benchmark::State& state)
{
    PresetList library;
    const PresetList defaults = PresetLibrary::defaultSet();
    for (int i = 0; library.size() < 1000; ++i) {
        ZentFullPresetRec p = defaults[std::size_t(i) % defaults.size()].value_or(ZentFullPresetRec());
        p.setName(QStringLiteral("Client %1 - web gallery").arg(i));
        p.setBorder1Color(QColor(i % 255, 30, 60));
        p.setCaption1TextColor(Qt::white);
        library.emplace_back(i % 10 == 9 ? PresetEntry() : PresetEntry(std::move(p)));
    }
    const QByteArray archive = archivedPresetLibrary(library);
    NotificationCenter center;
    zent3controller controller(center);
    for (auto _ : state) {
        Result<PresetList> read = unarchivePresetLibrary(archive);
        if (!read)
            state.SkipWithError("the archive was not read");
        controller.setMySavedPresets(std::move(read.value()));
        benchmark::DoNotOptimize(controller.presetsMenu().items().size());
    }
    state.SetLabel(std::to_string(archive.size() / 1024) + " KiB");
}

// "Add Current State as Preset...", OK: capture, append, archive into the store (the store
// kept in memory: the disk's flush is not ours).
void BM_presetCaptureAndAppend(benchmark::State& state)
{
    NotificationCenter center;
    zent3controller controller(center);
    controller.awakeFromNib();
    for (auto _ : state) {
        controller.setMySavedPresets(PresetLibrary::defaultSet());
        controller.addThisPreset();
        controller.theNewPresetNameOK();
    }
}

// Captions measure fonts, which needs a GUI application (offscreen when there is no display).
void ensureGuiApplication()
{
    if (QGuiApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "quillum-bench";
    static char* argv[] = { name, nullptr };
    static QGuiApplication app(argc, argv);
}

// What every decoration adds to a 1920 x 1280 render: three borders, the sample logo and two
// captions with a file tag and a date tag. Timed around the decorator alone, each time on a
// fresh copy of the undecorated output.
void BM_decorationsAllOn(benchmark::State& state)
{
    ensureGuiApplication();
    DecorationSettings settings;
    settings.bordersOn = true;
    settings.logo.drawLogo = true;
    settings.captionsOn = true;
    settings.captions[0].text = QStringLiteral("$f");
    settings.captions[1].text = QStringLiteral("$d - $t");
    const QImage logo = sampleLogoImage();
    const QString source = QString::fromStdString(g_photoPath);
    Decorator decorator(
        settings, [&]() -> const QImage& { return logo; }, [&] { return source; });

    BitmapImageRep plain = BitmapImageRep::makeARGB(1920, 1280);
    std::memset(plain.bitmapData(), 0x80, plain.planeBytes());
    BitmapImageRep output = plain.clone();
    for (auto _ : state) {
        std::memcpy(output.bitmapData(), plain.bitmapData(), plain.planeBytes());
        const auto start = std::chrono::steady_clock::now();
        decorator.drawBorders(output);
        decorator.drawLogo(output);
        decorator.drawCaptions(output);
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(output.bitmapData());
    }
}

// The caption size search for a 40-character caption on a 1920 x 1280 output.
void BM_captionSizeSearch(benchmark::State& state)
{
    ensureGuiApplication();
    CaptionSettings caption = defaultCaption(0, {});
    const QString text = QStringLiteral("IMG_20240612_181455.jpg - 12 June 2024 @");
    for (auto _ : state)
        benchmark::DoNotOptimize(captionLayout(caption, text, 1920, 1280).fontSize);
    state.SetLabel("size " + std::to_string(captionLayout(caption, text, 1920, 1280).fontSize) + ", "
        + std::to_string(text.size()) + " chars");
}

void configure(benchmark::internal::Benchmark* b)
{
    // Work runs on two threads: real time is the measure, and the CPU column counts every
    // thread of the process (steadier than real time when other programs load the machine).
    // Medians of 7 repetitions.
    b->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->MeasureProcessCPUTime()
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

void registerBenchmarks()
{
    configure(benchmark::RegisterBenchmark("decode", BM_decode));
    configure(benchmark::RegisterBenchmark("convert/whole", BM_convert));
    configure(
        benchmark::RegisterBenchmark("render/whole/autolevels", BM_render, RenderSettings { .autoLevels = true }));
    configure(benchmark::RegisterBenchmark("render/w1920/autolevels+correction+sharpen1", BM_render,
        RenderSettings { .autoLevels = true, .pictureCorrection = true, .sharpen = 1, .fixedWidth = 1920 }));
    configure(benchmark::RegisterBenchmark("render/w1920/plain", BM_render, RenderSettings { .fixedWidth = 1920 }));
    configure(benchmark::RegisterBenchmark("render/crop4000/autolevels+sharpen1", BM_render,
        RenderSettings { .autoLevels = true, .sharpen = 1, .cropSide = 4000 }));
    for (const auto& [name, settings] :
        { std::pair { "render/first/w1920/autolevels+correction+sharpen1",
              RenderSettings { .autoLevels = true, .pictureCorrection = true, .sharpen = 1, .fixedWidth = 1920 } },
            std::pair { "render/first/crop4000/autolevels+sharpen1",
                RenderSettings { .autoLevels = true, .sharpen = 1, .cropSide = 4000 } } })
        benchmark::RegisterBenchmark(name, BM_firstRender, settings)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->MeasureProcessCPUTime()
            ->Iterations(3)
            ->Repetitions(7)
            ->ReportAggregatesOnly(true);
    for (bool ahead : { true, false })
        benchmark::RegisterBenchmark(
            ahead ? "next-picture/look-ahead" : "next-picture/no-look-ahead", BM_nextPicture, ahead)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(4)
            ->Repetitions(5)
            ->ReportAggregatesOnly(true);
    configure(benchmark::RegisterBenchmark("list/10000-files", BM_listFolder));
    configure(benchmark::RegisterBenchmark("save/jpeg-1920-q90-plain", BM_saveJpeg, false));
    configure(benchmark::RegisterBenchmark("save/jpeg-1920-q90-metadata", BM_saveJpeg, true));
    configure(benchmark::RegisterBenchmark("save/lossless-crop-24mp", BM_saveLosslessCrop));
    const struct {
        const char* name;
        bool whileAdvancing, untilConfirmed;
    } saveGestures[] = {
        { "save/save-and-advance/written-first", false, false },
        { "save/save-and-advance/while-advancing", true, false },
        { "save/save-and-advance/while-advancing-until-confirmed", true, true },
    };
    for (const auto& g : saveGestures)
        benchmark::RegisterBenchmark(g.name, BM_saveAndAdvance, g.whileAdvancing, g.untilConfirmed)
            ->Unit(benchmark::kMillisecond)
            ->UseManualTime()
            ->Iterations(3)
            ->Repetitions(3)
            ->ReportAggregatesOnly(true);
    configure(benchmark::RegisterBenchmark("rotate/quarter", BM_rotate, 90.0f));
    configure(benchmark::RegisterBenchmark("rotate/30-degrees", BM_rotate, 30.0f));
    configure(benchmark::RegisterBenchmark("cropframe/1e6-drag-steps", BM_dragSteps));
    configure(benchmark::RegisterBenchmark("cropframe/1e6-hit-tests", BM_hitTests));
    configure(benchmark::RegisterBenchmark("settings/read", BM_settings, SettingsStep::Read));
    configure(benchmark::RegisterBenchmark("settings/write", BM_settings, SettingsStep::Write));
    configure(benchmark::RegisterBenchmark("settings/write+flush", BM_settings, SettingsStep::WriteAndFlush));
    configure(benchmark::RegisterBenchmark("presets/read-1000-and-menu", BM_presetLibraryRead));
    configure(benchmark::RegisterBenchmark("presets/capture-and-append", BM_presetCaptureAndAppend));
    benchmark::RegisterBenchmark("decorations/all-on-1920x1280", BM_decorationsAllOn)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
    benchmark::RegisterBenchmark("decorations/caption-size-search-40chars", BM_captionSizeSearch)
        ->Unit(benchmark::kMicrosecond)
        ->Repetitions(7)
        ->ReportAggregatesOnly(true);
}

// Takes "--NAME VALUE" or "--NAME=VALUE" out of argv; Google Benchmark rejects flags it does not know.
bool takeFlag(int& argc, char** argv, const char* name, std::string& value)
{
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        int used = 0;
        if (!std::strcmp(argv[i], name) && i + 1 < argc) {
            value = argv[i + 1];
            used = 2;
        } else if (!std::strncmp(argv[i], name, n) && argv[i][n] == '=') {
            value = argv[i] + n + 1;
            used = 1;
        }
        if (used) {
            for (int j = i; j + used <= argc; ++j)
                argv[j] = argv[j + used];
            argc -= used;
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    std::string makePath;
    if (takeFlag(argc, argv, "--make-photo", makePath))
        return quillumbench::makePhoto(makePath, argv[0]) ? 0 : 1;
    takeFlag(argc, argv, "--photo", g_photoPath);
    if (argc > 1 && !std::strcmp(argv[1], "--render-hashes"))
        return printRenderHashes();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    if (!std::filesystem::exists(g_photoPath)) {
        std::fprintf(stderr, "quillum-bench: making %s\n", g_photoPath.c_str());
        if (!quillumbench::makePhoto(g_photoPath, argv[0]))
            return 1;
    }
    registerBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
