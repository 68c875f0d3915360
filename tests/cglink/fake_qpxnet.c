/* A stand-in for the CG client library: connects only to 127.0.0.1, and its
 * send appends "!" to the writable buffer so that callers can see it. While
 * held, a send does not return, as a library stuck on its network would. */
#define _POSIX_C_SOURCE 199309L
#include <stdatomic.h>
#include <stdint.h>
#include <string.h>
#include <time.h>

static int32_t last_code = -1;
static atomic_int held;

int32_t QPXNET_ConnectQPXSystem(const char* address)
{
    return strcmp(address, "127.0.0.1") == 0 ? 7 : 0;
}

int32_t QPXNET_IsConnected(int32_t handle)
{
    return handle == 7;
}

int32_t QPXNET_SendCommand(int32_t handle, int32_t code, char* text)
{
    (void)handle;
    while (atomic_load(&held)) {
        const struct timespec pause = {0, 1000000};
        nanosleep(&pause, NULL);
    }
    last_code = code;
    strcat(text, "!");
    return 0;
}

int32_t QPXNET_ColorBar(int32_t handle)
{
    return handle;
}

int32_t fake_last_code(void)
{
    return last_code;
}

void fake_hold(int32_t hold)
{
    atomic_store(&held, hold);
}
