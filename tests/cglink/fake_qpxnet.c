/* A stand-in for the CG client library: connects only to 127.0.0.1, and its
 * send appends "!" to the writable buffer so that callers can see it. */
#include <stdint.h>
#include <string.h>

static int32_t last_code = -1;

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
