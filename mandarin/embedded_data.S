/* The readings dictionary, built into the library as read-only data. */
    .section .rodata
    .balign 16
    .globl mandarin_readings_data
    .hidden mandarin_readings_data
    .type mandarin_readings_data, @object
mandarin_readings_data:
    .incbin MANDARIN_DATA_FILE
    .globl mandarin_readings_data_end
    .hidden mandarin_readings_data_end
mandarin_readings_data_end:
    .byte 0
    .section .note.GNU-stack,"",@progbits
