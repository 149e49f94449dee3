#pragma once
// One write of the output taken as plain values, so it can run on another thread while the
// controller shows the next picture: the file, the encoder's options and, when the save
// only crops a JPEG file, the source's blocks to copy instead.

#include "platform/BitmapImageRep.h"
#include "platform/ImageEncoder.h"
#include "platform/LosslessJpeg.h"
#include "platform/Result.h"

#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace quillum {

struct SaveJob {
    QString path;
    ImageFileType type = ImageFileType::Jpeg;
    EncodeOptions options;
    std::shared_ptr<const BitmapImageRep> output;
    // Copy the blocks of `losslessRect` from `sourcePath` (the output is the fallback when
    // the file's JPEG data turns out damaged).
    bool lossless = false;
    QString sourcePath;
    JpegRect losslessRect;
    QString whyNotLossless; // why the encoder writes it, when lossless saves are on
};

struct SaveOutcome {
    Status written;
    QString whyNotLossless; // as SaveJob's, or why the copy failed
};

// Makes the folder and writes the file; never throws.
SaveOutcome runSaveJob(const SaveJob& job);

// Runs one job on its own thread; `finished` runs there when the outcome can be taken (it
// should only schedule work on the main thread). Destroying it waits for the write.
class SaveWriter {
public:
    SaveWriter(SaveJob job, std::function<void()> finished);
    SaveWriter(const SaveWriter&) = delete;
    SaveWriter& operator=(const SaveWriter&) = delete;
    bool finished() const { return m_finished.load(std::memory_order_acquire); }
    // Waits for the write; call once.
    SaveOutcome wait();

private:
    SaveJob m_job;
    SaveOutcome m_outcome;
    std::atomic<bool> m_finished { false };
    std::jthread m_thread;
};

} // namespace quillum
