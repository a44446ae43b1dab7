# A two-module laser on older controller firmware (no motion-board version read, 1.7.15 and
# later only). Format: see simulator/LaserProfile.cpp.
model = TVX-2100
serial = TVX0107
mfg_date = 2024-09-30
hours = 87.25
controller_firmware = 1.7.14.2
motion_firmware = 1.2.9
motion_module_type = 1
motion_hardware_version = 0x0101
motion_firmware_version = 0x0129

[qcl]
serial = QM1-0112
firmware = 1.3.7
range = 5.4 6.6 um
current = 0 800
cw_current = 0 450
temperature = 18 15 25
pulse_rate = 100 1000000 Hz
pulse_width = 40 1000 ns
duty_cycle = 0 10
vsrc = 11 14 12
cw = yes
filters = 8

[qcl]
serial = QM2-0090
firmware = 1.3.7
range = 1100 1350 cm-1
current = 0 1200
temperature = 20 15 28
pulse_rate = 1 500 kHz
pulse_width = 20 500 ns
duty_cycle = 0 5
