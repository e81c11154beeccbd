#include "platform/JpegCodec.h"

#include <QFile>
#include <QSaveFile>

#include <csetjmp>
#include <cstdlib>

#include <jpeglib.h>

#include "platform/AppError.h"

namespace {

const QString kJpegError = QStringLiteral("JPEG error #%1");
const QString kFileReadError = QStringLiteral("Не удалось прочитать файл %1");
const QString kFileWriteError = QStringLiteral("Не удалось записать файл %1");

// libjpeg reports a failure by calling error_exit, which must not return: it jumps back to the
// routine that started the work, which then frees the library's state and throws.
struct ErrorJump {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->jump, 1);
}

// Warnings of damaged but readable data are not worth a message.
void ignoreMessage(j_common_ptr) {}

void installErrorJump(ErrorJump& error, j_common_ptr info) {
    info->err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jumpBack;
    error.manager.output_message = ignoreMessage;
}

struct Decoder {
    jpeg_decompress_struct info{};
    ErrorJump error{};
};

// Answers 0 or the library's message number. Only memory reached through the arguments changes
// between setjmp and a jump back.
int decodeInto(Decoder& job, const QByteArray& data, QImage& image) {
    installErrorJump(job.error, reinterpret_cast<j_common_ptr>(&job.info));
    if (setjmp(job.error.jump)) {
        jpeg_destroy_decompress(&job.info);
        return job.error.manager.msg_code;
    }
    jpeg_create_decompress(&job.info);
    jpeg_mem_src(&job.info, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&job.info, TRUE);
    job.info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&job.info);
    image = QImage(static_cast<int>(job.info.output_width), static_cast<int>(job.info.output_height),
                   QImage::Format_RGB888);
    while (job.info.output_scanline < job.info.output_height) {
        JSAMPROW row = image.scanLine(static_cast<int>(job.info.output_scanline));
        jpeg_read_scanlines(&job.info, &row, 1);
    }
    jpeg_finish_decompress(&job.info);
    jpeg_destroy_decompress(&job.info);
    return 0;
}

struct Encoder {
    jpeg_compress_struct info{};
    ErrorJump error{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

int encodeInto(Encoder& job, const QImage& rgb, int quality) {
    installErrorJump(job.error, reinterpret_cast<j_common_ptr>(&job.info));
    if (setjmp(job.error.jump)) {
        jpeg_destroy_compress(&job.info);
        return job.error.manager.msg_code;
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
    return 0;
}

void throwOnJpegError(int code) {
    if (code != 0) {
        throw AppError(kJpegError.arg(code));
    }
}

}  // namespace

QImage decodeJpeg(const QByteArray& data) {
    QImage image;
    Decoder job;
    throwOnJpegError(decodeInto(job, data, image));
    return image;
}

QImage readJpegFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(kFileReadError.arg(path));
    }
    return decodeJpeg(file.readAll());
}

QByteArray encodeJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    Encoder job;
    const int code = encodeInto(job, rgb, quality);
    const QByteArray data(reinterpret_cast<const char*>(job.buffer), static_cast<qsizetype>(job.size));
    std::free(job.buffer);
    throwOnJpegError(code);
    return data;
}

void writeJpegFile(const QImage& image, const QString& path, int quality) {
    replaceFile(path, encodeJpeg(image, quality));
}

void replaceFile(const QString& path, const QByteArray& content) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit()) {
        throw AppError(kFileWriteError.arg(path));
    }
}
