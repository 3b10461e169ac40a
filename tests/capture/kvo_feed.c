/* A plain C program that drives Kvo_dll.so the way the terminal does: load the library, look
 * the export up by name, call it once, unload it again, for every single call.
 *
 *   kvo_feed [-l LIBRARY] [-n ROUNDS] add LINE...   each LINE ROUNDS times (default 1)
 *   kvo_feed [-l LIBRARY] load KEY                   prints the integer
 *   kvo_feed [-l LIBRARY] save KEY VALUE
 *
 * The library defaults to Kvo_dll.so beside this program. Exit status 3 when the library or
 * the export cannot be found, 4 when the library is still loaded after dlclose. */
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static char library[PATH_MAX];

static void *open_export(const char *name, void **handle) {
    *handle = dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!*handle) {
        fprintf(stderr, "kvo_feed: %s\n", dlerror());
        exit(3);
    }
    void *fn = dlsym(*handle, name);
    if (!fn) {
        fprintf(stderr, "kvo_feed: no export %s\n", name);
        dlclose(*handle);
        exit(3);
    }
    return fn;
}

static void default_library(void) {
    char exe[PATH_MAX - 16]; /* room for the library's name */
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) {
        strcpy(library, "./Kvo_dll.so");
        return;
    }
    exe[n] = 0;
    char *slash = strrchr(exe, '/');
    slash[1] = 0;
    snprintf(library, sizeof library, "%sKvo_dll.so", exe);
}

int main(int argc, char **argv) {
    long rounds = 1;
    int i = 1;
    default_library();
    for (; i + 1 < argc && argv[i][0] == '-'; i += 2) {
        if (strcmp(argv[i], "-l") == 0)
            snprintf(library, sizeof library, "%s", argv[i + 1]);
        else if (strcmp(argv[i], "-n") == 0)
            rounds = strtol(argv[i + 1], NULL, 10);
    }
    if (i >= argc)
        return 2;
    const char *command = argv[i++];
    void *handle;
    if (strcmp(command, "add") == 0) {
        for (long r = 0; r < rounds; ++r) {
            for (int k = i; k < argc; ++k) {
                void (*add)(const char *) =
                    (void (*)(const char *))open_export("AddToDBI", &handle);
                add(argv[k]);
                dlclose(handle);
                /* The cycle means something only if the library really goes each time. */
                void *still = dlopen(library, RTLD_NOW | RTLD_NOLOAD);
                if (still) {
                    fprintf(stderr, "kvo_feed: the library stayed loaded after dlclose\n");
                    return 4;
                }
            }
        }
        return 0;
    }
    if (strcmp(command, "load") == 0 && i < argc) {
        int (*load)(const char *) = (int (*)(const char *))open_export("LoadFromIniFile", &handle);
        printf("%d\n", load(argv[i]));
        dlclose(handle);
        return 0;
    }
    if (strcmp(command, "save") == 0 && i + 1 < argc) {
        void (*save)(const char *, int) =
            (void (*)(const char *, int))open_export("SaveToIniFile", &handle);
        save(argv[i], atoi(argv[i + 1]));
        dlclose(handle);
        return 0;
    }
    return 2;
}
