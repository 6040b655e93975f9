/* A virtual pointer on the compositor's seat for the Wayland tests
 * (wlr-virtual-pointer-unstable-v1). Holding it gives the seat the pointer capability;
 * commands read from FIFO, one a line, drive real motion and buttons:
 *     move X Y [W H]  absolute, in layout coordinates of the W x H layout box (the
 *                     compositor maps it onto the layout as it is now, so W x H must
 *                     follow changes of the layout; WIDTH x HEIGHT when left out)
 *     down [BUTTON]   press (BTN_LEFT = 272 unless given)
 *     up [BUTTON]     release
 * After each command the compositor has received it (a round trip), and "done N" is
 * printed, N counting the commands so far: the test waits for that line.
 *     vptr FIFO WIDTH HEIGHT */
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-client.h>
#include "wlr-virtual-pointer-client.h"

static struct wl_seat *seat;
static struct zwlr_virtual_pointer_manager_v1 *manager;

static void handle_global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                          uint32_t version)
{
    (void)data; (void)version;
    if (!strcmp(interface, wl_seat_interface.name) && !seat)
        seat = wl_registry_bind(registry, name, &wl_seat_interface, 1);
    else if (!strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
        manager = wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1);
}

static void handle_global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data; (void)registry; (void)name;
}

static const struct wl_registry_listener registry_listener = {handle_global, handle_global_remove};

static uint32_t now_ms(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (uint32_t)(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

/* Sends one command line; 0 when it was not understood. */
static int send_command(struct zwlr_virtual_pointer_v1 *pointer, const char *line, unsigned width, unsigned height)
{
    unsigned x, y, button = 272;
    const int fields = sscanf(line, "move %u %u %u %u", &x, &y, &width, &height);
    if (fields == 2 || fields == 4)
        zwlr_virtual_pointer_v1_motion_absolute(pointer, now_ms(), x, y, width, height);
    else if (!strncmp(line, "down", 4)) {
        sscanf(line, "down %u", &button);
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, 1);
    } else if (!strncmp(line, "up", 2)) {
        sscanf(line, "up %u", &button);
        zwlr_virtual_pointer_v1_button(pointer, now_ms(), button, 0);
    } else
        return 0;
    zwlr_virtual_pointer_v1_frame(pointer);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: vptr FIFO WIDTH HEIGHT\n");
        return 2;
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "vptr: cannot connect to the Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!manager || !seat) {
        fprintf(stderr, "vptr: the compositor offers no virtual pointer\n");
        return 1;
    }
    struct zwlr_virtual_pointer_v1 *pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager, seat);
    wl_display_roundtrip(display);
    /* Opened read-write so that the FIFO never reports end of file between writers. */
    const int fifo = open(argv[1], O_RDWR);
    if (fifo < 0) {
        perror("vptr: fifo");
        return 1;
    }
    const unsigned width = (unsigned)atoi(argv[2]), height = (unsigned)atoi(argv[3]);
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("vptr: virtual pointer created\n");

    char buffer[4096];
    size_t length = 0;
    unsigned done = 0;
    struct pollfd watched[2] = {{wl_display_get_fd(display), POLLIN, 0}, {fifo, POLLIN, 0}};
    for (;;) {
        wl_display_flush(display);
        if (poll(watched, 2, -1) < 0)
            break;
        if (watched[0].revents & (POLLERR | POLLHUP))
            break;
        if ((watched[0].revents & POLLIN) && wl_display_dispatch(display) == -1)
            break;
        if (!(watched[1].revents & POLLIN))
            continue;
        const ssize_t got = read(fifo, buffer + length, sizeof buffer - 1 - length);
        if (got <= 0)
            continue;
        length += (size_t)got;
        buffer[length] = 0;
        char *start = buffer, *end;
        while ((end = strchr(start, '\n'))) {
            *end = 0;
            if (!send_command(pointer, start, width, height))
                fprintf(stderr, "vptr: unknown command: %s\n", start);
            wl_display_roundtrip(display);
            printf("done %u\n", ++done);
            start = end + 1;
        }
        length = strlen(start);
        memmove(buffer, start, length + 1);
    }
    return 0;
}
