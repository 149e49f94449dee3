#include "SaveJob.h"

#include "platform/StagedFile.h"

#include <QFileInfo>

#include <new>
#include <system_error>

namespace quillum {

namespace {

SaveOutcome write(const SaveJob& job)
{
    SaveOutcome outcome { {}, job.whyNotLossless };
    // The output folder is made again if it was removed since it was chosen.
    if (Status folder = makeFolderPath(QFileInfo(job.path).absolutePath()); !folder) {
        outcome.written = folder;
        return outcome;
    }
    if (!job.output) {
        outcome.written = StagedFile(job.path).failure(QStringLiteral("there is no picture to save"));
        return outcome;
    }
    if (job.lossless) {
        Result<QByteArray> jpeg = [&]() -> Result<QByteArray> {
            try {
                return cropJpegLosslessly(
                    job.sourcePath, job.losslessRect, { job.options.withMetadata, job.output->colorProfile() });
            } catch (const std::bad_alloc&) {
                return Error(QStringLiteral("out of memory"));
            }
        }();
        if (jpeg) {
            outcome.written = writeCroppedJpeg(*jpeg, job.path,
                job.options.withMetadata ? job.options.metadataSourcePath : QString(), job.losslessRect.width,
                job.losslessRect.height);
            return outcome;
        }
        // The file changed or is damaged past its header: the decoded picture still saves.
        qWarning("Quillum: %s", qPrintable(jpeg.error()));
        outcome.whyNotLossless = QStringLiteral("the photo's JPEG data cannot be copied");
    }
    outcome.written = writeWorkingBitmap(*job.output, job.path, job.type, job.options);
    return outcome;
}

} // namespace

SaveOutcome runSaveJob(const SaveJob& job)
{
    try {
        return write(job);
    } catch (const std::bad_alloc&) {
        return { Error(QStringLiteral("there is not enough memory to save the crop")), job.whyNotLossless };
    }
}

SaveWriter::SaveWriter(SaveJob job, std::function<void()> finished)
    : m_job(std::move(job))
{
    auto write = [this, finished = std::move(finished)] {
        m_outcome = runSaveJob(m_job);
        m_finished.store(true, std::memory_order_release);
        if (finished)
            finished();
    };
    try {
        m_thread = std::jthread(write);
    } catch (const std::system_error&) {
        write(); // no thread to be had: written here and now
    }
}

SaveOutcome SaveWriter::wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::move(m_outcome);
}

} // namespace quillum
