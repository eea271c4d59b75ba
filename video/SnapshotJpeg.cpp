#include "video/SnapshotJpeg.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Fatal library errors jump back into EncodeJpeg instead of ending the program.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void TrapErrorExit(j_common_ptr info)
{
    ErrorTrap* trap = reinterpret_cast<ErrorTrap*>(info->err);
    std::longjmp(trap->jump, 1);
}

void SilentOutputMessage(j_common_ptr)
{
}

// Appends the compressed bytes to the fixed output area; running out of room is fatal.
struct AreaDestination {
    jpeg_destination_mgr manager;
    JOCTET* area;
    size_t capacity;
};

void InitArea(j_compress_ptr info)
{
    AreaDestination* destination = reinterpret_cast<AreaDestination*>(info->dest);
    destination->manager.next_output_byte = destination->area;
    destination->manager.free_in_buffer = destination->capacity;
}

boolean AreaFull(j_compress_ptr info)
{
    ERREXIT(info, JERR_FILE_WRITE);
    return FALSE;
}

void TermArea(j_compress_ptr)
{
}

// The part that may be left by a jump: only objects without destructors live here.
int32_t Compress(jpeg_compress_struct* info, AreaDestination* destination, const uint8_t* image, uint32_t width,
                 uint32_t height)
{
    info->dest = &destination->manager;
    info->image_width = width;
    info->image_height = height;
    info->input_components = 3;
    // The image holds blue first; libjpeg-turbo takes that order as it stands.
    info->in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(info);
    jpeg_set_quality(info, 60, TRUE);
    jpeg_start_compress(info, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    while (info->next_scanline < info->image_height) {
        // Bottom row first in memory, so the JPEG's top row is the image's last row.
        const size_t row = static_cast<size_t>(height) - 1 - info->next_scanline;
        JSAMPROW rows[1] = {const_cast<JSAMPLE*>(image + row * rowBytes)};
        jpeg_write_scanlines(info, rows, 1);
    }
    jpeg_finish_compress(info);
    return static_cast<int32_t>(destination->capacity - destination->manager.free_in_buffer);
}

}  // namespace

int32_t EncodeJpeg(uint8_t* output, const uint8_t* image, uint32_t width, uint32_t height)
{
    if (image == nullptr || width == 0 || height == 0) {
        return 0;
    }
    if (output == nullptr) {
        return -1;
    }
    jpeg_compress_struct info{};
    ErrorTrap trap{};
    info.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = TrapErrorExit;
    trap.manager.output_message = SilentOutputMessage;
    AreaDestination destination{};
    destination.manager.init_destination = InitArea;
    destination.manager.empty_output_buffer = AreaFull;
    destination.manager.term_destination = TermArea;
    destination.area = output;
    destination.capacity = kSnapshotJpegCapacity;
    if (setjmp(trap.jump) != 0) {
        jpeg_destroy_compress(&info);
        return -1;
    }
    jpeg_create_compress(&info);
    const int32_t written = Compress(&info, &destination, image, width, height);
    jpeg_destroy_compress(&info);
    return written;
}
