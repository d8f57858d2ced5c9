/* Starts a program and times its window by X events, without polling: from just before exec until the
 * first top-level window that matches is mapped, and until a pixel of it first shows a given colour (its
 * first real paint), with the CPU time the program used until then. Optionally waits at rest and reports
 * its memory. Ends the program before it exits. Used by bench/program_startup.sh.
 *
 *   startwait [--class NAME] [--size WxH] [--min-width W] [--pixel X,Y] [--color RRGGBB] [--rest MS]
 *             [--timeout MS] -- PROGRAM [ARGS...]
 *
 * Prints one line: "map_ms=... paint_ms=... cpu_ms=... [rss_kb=... anon_kb=...]". Exit status 0 when the
 * window was seen and painted within the timeout, 1 otherwise. --color any: any colour but black. */
#define _GNU_SOURCE
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double now_ms(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

/* CPU time of the process in milliseconds: the scheduler's nanosecond count when the kernel keeps it,
 * else user + system ticks. */
static double cpu_ms(pid_t pid) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/schedstat", (int)pid);
    FILE* f = fopen(path, "r");
    if (f) {
        unsigned long long ns = 0;
        const int got = fscanf(f, "%llu", &ns);
        fclose(f);
        if (got == 1 && ns > 0) {
            return ns / 1e6;
        }
    }
    snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
    f = fopen(path, "r");
    if (!f) {
        return -1;
    }
    char buffer[4096];
    const size_t n = fread(buffer, 1, sizeof buffer - 1, f);
    fclose(f);
    buffer[n] = 0;
    const char* p = strrchr(buffer, ')');
    unsigned long utime = 0, stime = 0;
    if (!p || sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) {
        return -1;
    }
    return (utime + stime) * 1000.0 / sysconf(_SC_CLK_TCK);
}

/* A "Key: value kB" line of a /proc file, or -1. */
static long proc_kb(pid_t pid, const char* file, const char* key) {
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/%s", (int)pid, file);
    FILE* f = fopen(path, "r");
    if (!f) {
        return -1;
    }
    char line[256];
    long value = -1;
    const size_t keylen = strlen(key);
    while (fgets(line, sizeof line, f)) {
        if (strncmp(line, key, keylen) == 0 && line[keylen] == ':') {
            value = strtol(line + keylen + 1, NULL, 10);
            break;
        }
    }
    fclose(f);
    return value;
}

static void usage(void) {
    fprintf(stderr, "usage: startwait [--class NAME] [--size WxH] [--min-width W] [--pixel X,Y] "
                    "[--color RRGGBB|any] [--rest MS] [--timeout MS] -- PROGRAM [ARGS...]\n");
    exit(2);
}

struct options {
    const char* wmclass;
    int width, height, min_width;
    int px, py;
    int any_color;
    uint32_t color;
    int rest_ms, timeout_ms;
};

static int class_matches(xcb_connection_t* c, xcb_window_t w, const char* wanted) {
    if (!wanted) {
        return 1;
    }
    xcb_get_property_reply_t* r = xcb_get_property_reply(
        c, xcb_get_property(c, 0, w, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256), NULL);
    int found = 0;
    if (r) {
        const char* value = xcb_get_property_value(r);
        const int length = xcb_get_property_value_length(r);
        /* Two NUL-separated strings: instance and class. */
        for (int start = 0; start < length && !found;) {
            const char* part = value + start;
            const int n = (int)strnlen(part, (size_t)(length - start));
            found = n == (int)strlen(wanted) && strncasecmp(part, wanted, (size_t)n) == 0;
            start += n + 1;
        }
        free(r);
    }
    return found;
}

static int size_matches(xcb_connection_t* c, xcb_window_t w, const struct options* o) {
    xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, w), NULL);
    if (!g) {
        return 0;
    }
    const int ok = (o->width <= 0 || (g->width == o->width && g->height == o->height)) &&
                   g->width >= o->min_width;
    free(g);
    return ok;
}

/* The pixel's RGB, or -1 when it cannot be read (the window is gone or not viewable yet). */
static long pixel_at(xcb_connection_t* c, xcb_window_t w, int x, int y) {
    xcb_get_image_reply_t* r =
        xcb_get_image_reply(c, xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, w, (int16_t)x, (int16_t)y, 1, 1, ~0u),
                            NULL);
    if (!r) {
        return -1;
    }
    long rgb = -1;
    if (xcb_get_image_data_length(r) >= 4) {
        const uint8_t* d = xcb_get_image_data(r);
        rgb = (long)d[0] | (long)d[1] << 8 | (long)d[2] << 16; /* 24-bit depth, little-endian BGRX */
    }
    free(r);
    return rgb;
}

int main(int argc, char** argv) {
    struct options o = {NULL, 0, 0, 0, -1, -1, 1, 0, 0, 20000};
    int i = 1;
    for (; i < argc; ++i) {
        if (strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        } else if (i + 1 >= argc) {
            usage();
        } else if (strcmp(argv[i], "--class") == 0) {
            o.wmclass = argv[++i];
        } else if (strcmp(argv[i], "--size") == 0) {
            if (sscanf(argv[++i], "%dx%d", &o.width, &o.height) != 2) {
                usage();
            }
        } else if (strcmp(argv[i], "--min-width") == 0) {
            o.min_width = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--pixel") == 0) {
            if (sscanf(argv[++i], "%d,%d", &o.px, &o.py) != 2) {
                usage();
            }
        } else if (strcmp(argv[i], "--color") == 0) {
            const char* v = argv[++i];
            o.any_color = strcmp(v, "any") == 0;
            if (!o.any_color) {
                const unsigned long rrggbb = strtoul(v, NULL, 16);
                /* kept as the pixel reads: 0xRRGGBB with red high */
                o.color = (uint32_t)rrggbb;
            }
        } else if (strcmp(argv[i], "--rest") == 0) {
            o.rest_ms = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--timeout") == 0) {
            o.timeout_ms = atoi(argv[++i]);
        } else {
            usage();
        }
    }
    if (i >= argc) {
        usage();
    }

    xcb_connection_t* c = xcb_connect(NULL, NULL);
    if (xcb_connection_has_error(c)) {
        fprintf(stderr, "startwait: cannot connect to the X server\n");
        return 1;
    }
    const xcb_query_extension_reply_t* damage = xcb_get_extension_data(c, &xcb_damage_id);
    if (!damage || !damage->present) {
        fprintf(stderr, "startwait: the X server has no DAMAGE extension\n");
        return 1;
    }
    free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), NULL));
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const uint32_t rootmask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootmask);
    xcb_flush(c);

    const double started = now_ms();
    const pid_t child = fork();
    if (child == 0) {
        /* A group of its own, so that whatever it forks ends with it. */
        setpgid(0, 0);
        execvp(argv[i], argv + i);
        _exit(127);
    }
    if (child < 0) {
        perror("startwait: fork");
        return 1;
    }

    xcb_window_t window = XCB_NONE;
    double mapped = -1, painted = -1, cpu = -1;
    const int fd = xcb_get_file_descriptor(c);
    while (painted < 0) {
        const double left = o.timeout_ms - (now_ms() - started);
        if (left <= 0) {
            break;
        }
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            struct pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, (int)left + 1) < 0 && errno != EINTR) {
                break;
            }
            if (xcb_connection_has_error(c)) {
                break;
            }
            continue;
        }
        const uint8_t type = e->response_type & 0x7F;
        if (type == XCB_CREATE_NOTIFY && window == XCB_NONE) {
            /* A new top-level: follow its mapping (a reparenting manager maps it inside its frame). */
            const xcb_create_notify_event_t* cn = (const xcb_create_notify_event_t*)e;
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
            xcb_change_window_attributes(c, cn->window, XCB_CW_EVENT_MASK, &mask);
            /* Mapped before the mask took effect: ask. */
            xcb_get_window_attributes_reply_t* a =
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, cn->window), NULL);
            if (a && a->map_state != XCB_MAP_STATE_UNMAPPED && class_matches(c, cn->window, o.wmclass) &&
                size_matches(c, cn->window, &o)) {
                window = cn->window;
                mapped = now_ms() - started;
            }
            free(a);
        } else if (type == XCB_MAP_NOTIFY && window == XCB_NONE) {
            const xcb_map_notify_event_t* mn = (const xcb_map_notify_event_t*)e;
            if (mn->window == mn->event && class_matches(c, mn->window, o.wmclass) &&
                size_matches(c, mn->window, &o)) {
                window = mn->window;
                mapped = now_ms() - started;
            }
        } else if (type == damage->first_event + XCB_DAMAGE_NOTIFY && window != XCB_NONE) {
            const long rgb = pixel_at(c, window, o.px, o.py);
            if (rgb >= 0 && (o.any_color ? rgb != 0 : (uint32_t)rgb == o.color)) {
                painted = now_ms() - started;
                cpu = cpu_ms(child);
            }
        }
        free(e);
        if (window != XCB_NONE && mapped >= 0 && painted < 0 && o.px < 0) {
            xcb_get_geometry_reply_t* g = xcb_get_geometry_reply(c, xcb_get_geometry(c, window), NULL);
            o.px = g ? g->width / 2 : 0;
            o.py = g ? g->height / 2 : 0;
            free(g);
        }
        if (window != XCB_NONE && mapped >= 0 && painted < 0) {
            static int tracking = 0;
            if (!tracking) {
                tracking = 1;
                xcb_damage_create(c, xcb_generate_id(c), window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
                xcb_flush(c);
                /* Painted before the damage was tracked: look once. */
                const long rgb = pixel_at(c, window, o.px, o.py);
                if (rgb >= 0 && (o.any_color ? rgb != 0 : (uint32_t)rgb == o.color)) {
                    painted = now_ms() - started;
                    cpu = cpu_ms(child);
                }
            }
        }
        xcb_flush(c);
    }

    int ok = painted >= 0;
    if (ok) {
        printf("map_ms=%.1f paint_ms=%.1f cpu_ms=%.1f", mapped, painted, cpu);
        if (o.rest_ms > 0) {
            usleep((useconds_t)o.rest_ms * 1000u);
            printf(" rss_kb=%ld anon_kb=%ld", proc_kb(child, "status", "VmRSS"),
                   proc_kb(child, "smaps_rollup", "Anonymous"));
        }
        printf("\n");
    } else {
        fprintf(stderr, "startwait: no matching window %s within %d ms\n", mapped < 0 ? "mapped" : "painted",
                o.timeout_ms);
    }
    fflush(stdout);
    kill(-child, SIGTERM);
    for (int waited = 0; waited < 200; ++waited) {
        if (waitpid(child, NULL, WNOHANG) == child) {
            xcb_disconnect(c);
            return ok ? 0 : 1;
        }
        usleep(10000);
    }
    kill(-child, SIGKILL);
    waitpid(child, NULL, 0);
    xcb_disconnect(c);
    return ok ? 0 : 1;
}
