/* What the bind helper and the finder say to each other. Plain C, so the
 * helper needs nothing but libc. */
#ifndef VELTRIN_BIND_HELPER_PROTOCOL_H
#define VELTRIN_BIND_HELPER_PROTOCOL_H

#include <stdint.h>

/* The only address the helper binds: UDP 0.0.0.0 port 1010. */
#define VELTRIN_BIND_HELPER_PORT 1010

/* The finder's end of an AF_UNIX SOCK_SEQPACKET socketpair is the helper's
 * standard input. */
#define VELTRIN_BIND_HELPER_CHANNEL_FD 0

/* The helper's one message: error 0 with the bound socket attached
 * (SCM_RIGHTS), or the errno of the step that failed and no descriptor. */
struct veltrin_bind_reply {
    int32_t error;
};

#endif
