/* Answers the finder as the bind helper does, with a socket it must refuse:
 * one bound to another port, or not UDP.
 * usage: stand_in_bind_helper udp|tcp PORT */
#include "discovery/bind_helper/bind_helper_protocol.h"

#include <netinet/in.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const int fd = socket(AF_INET, strcmp(argv[1], "tcp") == 0 ? SOCK_STREAM : SOCK_DGRAM, 0);
    struct sockaddr_in address;
    memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons((unsigned short)atoi(argv[2]));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (fd < 0 || bind(fd, (const struct sockaddr *)&address, sizeof address) != 0)
        return 1;

    struct veltrin_bind_reply reply = {0};
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
    message.msg_control = control.space;
    message.msg_controllen = sizeof control.space;
    struct cmsghdr *const c = CMSG_FIRSTHDR(&message);
    c->cmsg_level = SOL_SOCKET;
    c->cmsg_type = SCM_RIGHTS;
    c->cmsg_len = CMSG_LEN(sizeof(int));
    memcpy(CMSG_DATA(c), &fd, sizeof fd);
    return sendmsg(VELTRIN_BIND_HELPER_CHANNEL_FD, &message, 0) == (ssize_t)sizeof reply ? 0 : 1;
}
