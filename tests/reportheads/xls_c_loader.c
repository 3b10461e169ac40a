/* Loads Kvo_xls.so from a plain C program, as any caller without C++ would, and asks each of the
   eight functions for its first line and for numbers that name no line. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

typedef const char *(*caption_fn)(int32_t);

int main(int argc, char **argv) {
    static const char *const names[] = {"StrCaption",    "StrCaptionA",  "StrCaptionST",
                                        "StrCaptionSV",  "StrCaptionSA", "StrCaptionSZK",
                                        "StrCaptionSOS", "StrCaptionBO"};
    static const int32_t none[] = {0, -1, INT32_MIN, INT32_MAX};
    int failures = 0;
    if (argc != 2) {
        fprintf(stderr, "usage: %s Kvo_xls.so\n", argv[0]);
        return 2;
    }
    void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "dlopen: %s\n", dlerror());
        return 1;
    }
    for (size_t i = 0; i < sizeof names / sizeof names[0]; ++i) {
        caption_fn f;
        void *symbol = dlsym(library, names[i]);
        if (!symbol) {
            fprintf(stderr, "%s: not exported\n", names[i]);
            ++failures;
            continue;
        }
        memcpy(&f, &symbol, sizeof f);
        if (strncmp(f(1), "<html ", 6) != 0) {
            fprintf(stderr, "%s(1) does not open the html element: %s\n", names[i], f(1));
            ++failures;
        }
        for (size_t k = 0; k < sizeof none / sizeof none[0]; ++k) {
            const char *text = f(none[k]);
            if (text == NULL || text[0] != '\0') {
                fprintf(stderr, "%s(%ld) is not the empty text\n", names[i], (long)none[k]);
                ++failures;
            }
        }
    }
    dlclose(library);
    return failures == 0 ? 0 : 1;
}
