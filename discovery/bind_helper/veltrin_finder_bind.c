/* The one program of the finder that holds cap_net_bind_service. It binds UDP
 * 0.0.0.0:1010 with broadcast allowed and without address sharing, passes the
 * socket to the finder over the channel on its standard input, and exits. It
 * takes no arguments and reads no environment, so nothing a caller chooses
 * changes what it binds; the socket it hands over is the only use of the
 * capability anyone can make. */
#define _GNU_SOURCE
#include "discovery/bind_helper/bind_helper_protocol.h"

#include <errno.h>
#include <linux/capability.h>
#include <netinet/in.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

/* Keeps at most the capability to bind low ports, and only when the process
 * holds it; keep == 0 clears every set. Lowering needs no privilege. */
static int limit_capabilities(int keep)
{
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3];
    memset(data, 0, sizeof data);
    if (keep) {
        if (syscall(SYS_capget, &header, data) != 0)
            return -1;
        const __u32 bind = CAP_TO_MASK(CAP_NET_BIND_SERVICE) & data[0].permitted;
        memset(data, 0, sizeof data);
        data[0].permitted = data[0].effective = bind;
    }
    /* The inheritable set goes too, and with it the ambient set. */
    return (int)syscall(SYS_capset, &header, data);
}

/* Nothing the caller left open stays open beside the channel. */
static void close_inherited(void)
{
    if (close_range(VELTRIN_BIND_HELPER_CHANNEL_FD + 1, ~0u, 0) == 0)
        return;
    struct rlimit limit;
    int last = 65536;
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < 65536u)
        last = (int)limit.rlim_cur;
    for (int fd = VELTRIN_BIND_HELPER_CHANNEL_FD + 1; fd < last; ++fd)
        close(fd);
}

/* The socket, or -1 with errno set by the step that failed. */
static int bind_finder_port(void)
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    struct sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(VELTRIN_BIND_HELPER_PORT);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0
        || bind(fd, (const struct sockaddr *)&address, sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

static int send_reply(int error, int socket_fd)
{
    struct veltrin_bind_reply reply = {error};
    struct iovec part = {&reply, sizeof reply};
    union {
        struct cmsghdr header;
        char space[CMSG_SPACE(sizeof(int))];
    } control;
    memset(&control, 0, sizeof control);
    struct msghdr message;
    memset(&message, 0, sizeof message);
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    if (socket_fd >= 0) {
        message.msg_control = control.space;
        message.msg_controllen = sizeof control.space;
        struct cmsghdr *rights = CMSG_FIRSTHDR(&message);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int));
        memcpy(CMSG_DATA(rights), &socket_fd, sizeof(int));
    }
    ssize_t sent;
    do
        sent = sendmsg(VELTRIN_BIND_HELPER_CHANNEL_FD, &message, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == (ssize_t)sizeof reply ? 0 : -1;
}

int main(int argc, char **argv)
{
    (void)argv;
    /* Before anything else: a helper started by root keeps nothing but the
     * one capability it needs. */
    const int limited = limit_capabilities(1);
    const int limit_error = errno;
    close_inherited();
    if (limited != 0)
        return send_reply(limit_error, -1) == 0 ? 1 : 3;
    if (argc > 1) {
        limit_capabilities(0);
        return send_reply(EINVAL, -1) == 0 ? 2 : 3;
    }

    const int fd = bind_finder_port();
    const int bind_error = fd < 0 ? errno : 0;
    if (limit_capabilities(0) != 0) {
        /* Never hand over a socket while still privileged. */
        const int error = errno;
        if (fd >= 0)
            close(fd);
        return send_reply(error, -1) == 0 ? 1 : 3;
    }
    if (send_reply(bind_error, fd) != 0)
        return 3;
    return fd < 0 ? 1 : 0;
}
