# An independent Modbus peer for the tests: pymodbus serving RTU frames over TCP on 127.0.0.1.
# Units 1 and 2; input register r of unit u holds u * 1000 + r (r = 0..40), holding registers
# 0..40 start at 0. Prints the port it listens on, then serves until it is ended.
import asyncio

from pymodbus.datastore import ModbusSequentialDataBlock, ModbusServerContext, ModbusSlaveContext
from pymodbus.server.async_io import ModbusTcpServer
from pymodbus.transaction import ModbusRtuFramer


async def main():
    units = {
        u: ModbusSlaveContext(
            ir=ModbusSequentialDataBlock(0, [u * 1000 + r for r in range(41)]),
            hr=ModbusSequentialDataBlock(0, [0] * 41),
            zero_mode=True,
        )
        for u in (1, 2)
    }
    server = ModbusTcpServer(ModbusServerContext(slaves=units, single=False), ModbusRtuFramer,
                             None, ("127.0.0.1", 0))
    task = asyncio.create_task(server.serve_forever())
    await server.serving
    print("listening on", server.server.sockets[0].getsockname()[1], flush=True)
    await task


asyncio.run(main())
