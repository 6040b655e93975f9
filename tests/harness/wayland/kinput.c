/* KWin's fake input (org_kde_kwin_fake_input) for the Wayland tests on KWin, which
 * offers it to any client when started with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1.
 * Commands read from FIFO, one a line, as for vptr:
 *     move X Y [W H]  absolute, in global compositor coordinates (W H are ignored)
 *     down [BUTTON]   press (BTN_LEFT = 272 unless given)
 *     up [BUTTON]     release
 *     key CODE STATE  an evdev key code pressed (1) or released (0)
 * After each command the compositor has received it (a round trip), and "done N" is
 * printed, N counting the commands so far.
 *     kinput FIFO */
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <wayland-client.h>
#include "kde-fake-input-client.h"

static struct org_kde_kwin_fake_input *fake;

static void handle_global(void *data, struct wl_registry *registry, uint32_t name, const char *interface,
                          uint32_t version)
{
    (void)data;
    if (!strcmp(interface, org_kde_kwin_fake_input_interface.name) && version >= 4)
        fake = wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4);
}

static void handle_global_remove(void *data, struct wl_registry *registry, uint32_t name)
{
    (void)data; (void)registry; (void)name;
}

static const struct wl_registry_listener registry_listener = {handle_global, handle_global_remove};

/* Sends one command line; 0 when it was not understood. */
static int send_command(const char *line)
{
    double x, y;
    unsigned button = 272, code, state;
    if (sscanf(line, "move %lf %lf", &x, &y) == 2)
        org_kde_kwin_fake_input_pointer_motion_absolute(fake, wl_fixed_from_double(x), wl_fixed_from_double(y));
    else if (!strncmp(line, "down", 4)) {
        sscanf(line, "down %u", &button);
        org_kde_kwin_fake_input_button(fake, button, 1);
    } else if (!strncmp(line, "up", 2)) {
        sscanf(line, "up %u", &button);
        org_kde_kwin_fake_input_button(fake, button, 0);
    } else if (sscanf(line, "key %u %u", &code, &state) == 2)
        org_kde_kwin_fake_input_keyboard_key(fake, code, state);
    else
        return 0;
    return 1;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: kinput FIFO\n");
        return 2;
    }
    struct wl_display *display = wl_display_connect(NULL);
    if (!display) {
        fprintf(stderr, "kinput: cannot connect to the Wayland display\n");
        return 1;
    }
    wl_registry_add_listener(wl_display_get_registry(display), &registry_listener, NULL);
    wl_display_roundtrip(display);
    if (!fake) {
        fprintf(stderr, "kinput: the compositor offers no fake input (version 4); is KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 set on KWin?\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(fake, "Vornik tests", "drive the pointer and keyboard");
    wl_display_roundtrip(display);
    /* Opened read-write so that the FIFO never reports end of file between writers. */
    const int fifo = open(argv[1], O_RDWR);
    if (fifo < 0) {
        perror("kinput: fifo");
        return 1;
    }
    setvbuf(stdout, NULL, _IOLBF, 0);
    printf("kinput: fake input created\n");

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
            if (!send_command(start))
                fprintf(stderr, "kinput: unknown command: %s\n", start);
            wl_display_roundtrip(display);
            printf("done %u\n", ++done);
            start = end + 1;
        }
        length = strlen(start);
        memmove(buffer, start, length + 1);
    }
    return 0;
}
