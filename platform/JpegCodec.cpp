#include "platform/JpegCodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdlib>

#include <jpeglib.h>

#include <jerror.h>

#include "platform/AppError.h"
#include "platform/FileReplace.h"

namespace {

const QString kDamagedJpeg = QStringLiteral("Рисунок JPEG поврежден или записан не в формате JPEG.");
const QString kTooLarge =
    QStringLiteral("Рисунок %1 × %2 точек больше любой фотографии или больше, чем позволяет оставшаяся память.");
const QString kTooManyScans =
    QStringLiteral("В рисунке больше %1 проходов (сканов): столько не записывает ни один фотоаппарат.");
const QString kEncodeError = QStringLiteral("Не удается сохранить рисунок в формате JPEG.");

// libjpeg reports a failure by calling error_exit, which must not return: it jumps back to the
// routine that started the work, which then frees the library's state and throws.
struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// A header may declare up to 65500 pixels a side, and the picture is sized from it before any data is
// read: a damaged header would ask for gigabytes. The largest camera sensors give about 200 million
// pixels; anything larger is no photograph.
constexpr qint64 kMaxPhotoPixels = 250'000'000;

// The library fills the rest of a picture whose data ends early with grey and only warns, whether the
// file itself ends or its data stops at the next marker; such a photograph is damaged. Other warnings
// (stray bytes before a marker, as some cameras write) are not worth a message.
void failOnTruncation(j_common_ptr info, int level) {
    const int code = info->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) {
        jumpBack(info);
    }
}

void installErrorJump(ErrorJump& error, j_common_ptr info) {
    info->err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpBack;
    error.manager.emit_message = failOnTruncation;
}

QString libraryMessage(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX] = {};
    info->err->format_message(info, text);
    return QStringLiteral("libjpeg #%1: %2").arg(info->err->msg_code).arg(QString::fromLocal8Bit(text));
}

// Greyscale and CMYK are converted here rather than by the library, which turns neither into RGB in
// every build.
J_COLOR_SPACE outputSpace(J_COLOR_SPACE stored) {
    switch (stored) {
        case JCS_GRAYSCALE:
            return JCS_GRAYSCALE;
        case JCS_CMYK:
        case JCS_YCCK:
            return JCS_CMYK;
        default:
            return JCS_RGB;
    }
}

// Adobe's programs write CMYK inverted (0 is full ink), and mark the file; others write it plain.
void toRgb(const JSAMPLE* in, int components, bool invertedInk, int width, uchar* out) {
    for (int x = 0; x < width; ++x, in += components, out += 3) {
        if (components == 1) {
            out[0] = out[1] = out[2] = in[0];
            continue;
        }
        if (components == 3) {
            std::copy(in, in + 3, out);
            continue;
        }
        const int black = invertedInk ? in[3] : 255 - in[3];
        for (int c = 0; c < 3; ++c) {
            const int paper = invertedInk ? in[c] : 255 - in[c];
            out[c] = uchar(paper * black / 255);
        }
    }
}

bool hasPhotoSize(const jpeg_decompress_struct& info) {
    return qint64(info.image_width) * info.image_height <= kMaxPhotoPixels;
}

QString tooLargeMessage(const jpeg_decompress_struct& info) {
    return kTooLarge.arg(info.image_width).arg(info.image_height);
}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorJump error{};
    jpeg_progress_mgr progress{};
    bool tooManyScans = false;
};

// The library calls this as it reads the data, and a progressive picture's scans each go over the whole
// picture: a small file of thousands of scans would hold the program for minutes.
void countScans(j_common_ptr common) {
    auto* job = static_cast<Decoder*>(common->client_data);
    if (job->info.input_scan_number > kMaxJpegScans) {
        job->tooManyScans = true;
        jumpBack(common);
    }
}

// Answers the reason of a failure, or an empty text. Only memory reached through the arguments changes
// between setjmp and a jump back; the row buffer belongs to the library's pool.
QString decodeInto(Decoder& job, const QByteArray& data, QImage& image) {
    auto* common = reinterpret_cast<j_common_ptr>(&job.info);
    installErrorJump(job.error, common);
    if (setjmp(job.error.jump)) {
        const QString message = job.tooManyScans ? kTooManyScans.arg(kMaxJpegScans) : libraryMessage(common);
        jpeg_destroy_decompress(&job.info);
        return message;
    }
    jpeg_create_decompress(&job.info);
    job.info.client_data = &job;
    job.progress.progress_monitor = countScans;
    job.info.progress = &job.progress;
    jpeg_mem_src(&job.info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&job.info, TRUE);
    if (!hasPhotoSize(job.info)) {
        jpeg_destroy_decompress(&job.info);
        return tooLargeMessage(job.info);
    }
    job.info.out_color_space = outputSpace(job.info.jpeg_color_space);
    jpeg_start_decompress(&job.info);
    const auto width = static_cast<int>(job.info.output_width);
    const int components = job.info.output_components;
    image = QImage(width, static_cast<int>(job.info.output_height), QImage::Format_RGB888);
    if (image.isNull()) {
        jpeg_destroy_decompress(&job.info);
        return tooLargeMessage(job.info);
    }
    JSAMPARRAY row = (*job.info.mem->alloc_sarray)(common, JPOOL_IMAGE, job.info.output_width * components, 1);
    while (job.info.output_scanline < job.info.output_height) {
        uchar* out = image.scanLine(static_cast<int>(job.info.output_scanline));
        jpeg_read_scanlines(&job.info, row, 1);
        toRgb(row[0], components, job.info.saw_Adobe_marker, width, out);
    }
    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return QString();
}

struct Encoder {
    jpeg_compress_struct info{};
    ErrorJump error{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

QString encodeInto(Encoder& job, const QImage& rgb, int quality) {
    auto* common = reinterpret_cast<j_common_ptr>(&job.info);
    installErrorJump(job.error, common);
    if (setjmp(job.error.jump)) {
        const QString message = libraryMessage(common);
        jpeg_destroy_compress(&job.info);
        return message;
    }
    jpeg_create_compress(&job.info);
    jpeg_mem_dest(&job.info, &job.buffer, &job.size);
    job.info.image_width = static_cast<JDIMENSION>(rgb.width());
    job.info.image_height = static_cast<JDIMENSION>(rgb.height());
    job.info.input_components = 3;
    job.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&job.info);
    jpeg_set_quality(&job.info, quality, TRUE);
    jpeg_start_compress(&job.info, TRUE);
    while (job.info.next_scanline < job.info.image_height) {
        auto row = const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(job.info.next_scanline)));
        jpeg_write_scanlines(&job.info, &row, 1);
    }
    jpeg_finish_compress(&job.info);
    jpeg_destroy_compress(&job.info);
    return QString();
}

}  // namespace

QImage decodeJpeg(const QByteArray& data) {
    QImage image;
    Decoder job;
    const QString failure = decodeInto(job, data, image);
    if (!failure.isEmpty()) {
        throw AppError(kDamagedJpeg, failure);
    }
    return image;
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Encoder job;
    const QString failure = encodeInto(job, rgb, quality);
    const QByteArray data(reinterpret_cast<const char*>(job.buffer), static_cast<qsizetype>(job.size));
    std::free(job.buffer);
    if (!failure.isEmpty()) {
        throw AppError(kEncodeError, failure);
    }
    return data;
}

void writeJpegFile(const QImage& image, const QString& path, int quality) {
    replaceFile(path, encodeJpeg(image, quality));
}
