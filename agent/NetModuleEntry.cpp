// The one symbol the agent looks up in its network module.
#include "NetModule.h"

extern "C" {
extern const NetModule corvanta_net_module;
const NetModule corvanta_net_module = {NetModuleVersion, NetMakeCurlSender,
#ifdef CORVANTA_HAVE_MOSQUITTO
                                       NetMakeMqttLink
#else
                                       nullptr
#endif
};
}
