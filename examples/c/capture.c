/* capture: the capture library from plain C. Saves the monitor under the mouse cursor, then a rectangle
 * the user drags, as monitor.png and region.png in the folder given, and prints their paths and sizes.
 *
 *   capture FOLDER
 *
 * Exit status: 0 both saved, 1 nothing captured (the drag was cancelled) or a file not written, 2 bad
 * arguments. */
#include <pictavo.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

/* Writes the image to FOLDER\name and gives it back to the library: 1 when written. */
static int save_and_release(BITMAPINFOHEADER *image, const char *folder, const char *name)
{
    char path[MAX_PATH];
    wchar_t wide_path[MAX_PATH];
    const size_t length = strlen(folder);
    const char *separator = folder[length - 1] == '\\' || folder[length - 1] == '/' ? "" : "\\";
    int written = 0;

    if (!image) {
        fprintf(stderr, "capture: nothing captured for %s\n", name);
        return 0;
    }
    /* mbstowcs gives (size_t)-1 for text it cannot convert, which fails the same test as a long path. */
    if (snprintf(path, sizeof path, "%s%s%s", folder, separator, name) < (int)sizeof path &&
        mbstowcs(wide_path, path, MAX_PATH) < MAX_PATH)
        written = pictavo_save_png(image, wide_path);
    if (written)
        printf("%s %ldx%ld\n", path, (long)image->biWidth, labs((long)image->biHeight));
    else
        fprintf(stderr, "capture: could not write %s\n", path);
    pictavo_release_image(image);
    return written;
}

int main(int argc, char **argv)
{
    if (argc != 2 || argv[1][0] == '\0') {
        fprintf(stderr, "usage: capture FOLDER\n"
                        "  saves the monitor under the mouse cursor as FOLDER\\monitor.png, then a rectangle\n"
                        "  you drag as FOLDER\\region.png\n");
        return 2;
    }
    /* Paths are printed as they are written, before the next step waits for the user. */
    setvbuf(stdout, NULL, _IONBF, 0);

    fprintf(stderr, "Capturing the monitor under the mouse cursor.\n");
    if (!save_and_release(pictavo_capture_full_screen(0), argv[1], "monitor.png"))
        return 1;

    fprintf(stderr, "Drag a rectangle with the left mouse button (Enter at two corners also works; "
                    "Escape cancels).\n");
    if (!save_and_release(pictavo_capture_shape_region(0, PICTAVO_SHAPE_RECTANGLE), argv[1], "region.png"))
        return 1;
    return 0;
}
