// The port "sim": the simulated board in this process (sim/sim_port.h).
#include "link/serial.h"
#include "sim/sim_port.h"

std::unique_ptr<Port> openSimPort()
{
    return quill::openBoardPort();
}
