@ Relicade Gameboy Advance test game: a blue screen, a row of eight boxes showing how often the game
@ was started (kept in battery memory) and a red square the pad moves. ARM code, assembled with
@ binutils; fix_header.py completes the header's check byte.
        .arm
        .section .text
        .global _start
_start:
        b       start
        .fill   156, 1, 0               @ this cartridge carries no logo
        .ascii  "RELICADE    "          @ title, 12 bytes
        .ascii  "RLCE"                  @ game code
        .ascii  "00"                    @ maker
        .byte   0x96                    @ fixed value every cartridge header holds
        .byte   0, 0
        .fill   7, 1, 0
        .byte   0                       @ version
        .byte   0                       @ header check byte (fix_header.py)
        .byte   0, 0
        @ Marks the cartridge as having 32 KiB of battery-backed static memory.
        .ascii  "SRAM_V100"
        .align  2

        .equ    IO, 0x04000000
        .equ    VCOUNT, 0x06
        .equ    KEYINPUT, 0x130
        .equ    VRAM, 0x06000000
        .equ    OBJ_TILES, 0x06014000   @ objects' tiles while a bitmap mode uses the first 80 KiB
        .equ    PALETTE, 0x05000000
        .equ    OAM, 0x07000000
        .equ    SAVE, 0x0E000000        @ battery memory, byte access only: "RLCD" then the counter
        .equ    BLUE, 0x7C00
        .equ    GREY, 0x294A
        .equ    WHITE, 0x7FFF
        .equ    RED, 0x001F

start:
        mov     r0, #IO
        mov     r1, #0x80               @ blank the screen while it is drawn
        strh    r1, [r0]

        @ Background: the whole bitmap blue.
        ldr     r0, =VRAM
        ldr     r1, =(BLUE | (BLUE << 16))
        ldr     r2, =(240 * 160 / 2)
1:      str     r1, [r0], #4
        subs    r2, r2, #1
        bne     1b

        @ Battery memory: a missing signature means a fresh cartridge, so the counter starts at zero.
        ldr     r4, =SAVE
        adr     r5, signature
        mov     r2, #0
2:      ldrb    r0, [r4, r2]
        ldrb    r1, [r5, r2]
        cmp     r0, r1
        bne     3f
        add     r2, r2, #1
        cmp     r2, #4
        bne     2b
        b       4f
3:      mov     r2, #0
5:      ldrb    r1, [r5, r2]
        strb    r1, [r4, r2]
        add     r2, r2, #1
        cmp     r2, #4
        bne     5b
        mov     r0, #0
        strb    r0, [r4, #4]
4:      ldrb    r6, [r4, #4]
        add     r6, r6, #1
        and     r6, r6, #0xFF
        strb    r6, [r4, #4]

        @ The counter: eight 8x8 boxes on row 16 from column 88, highest bit first.
        mov     r7, #0                  @ bit number
6:      rsb     r0, r7, #7
        mov     r1, r6, lsr r0
        tst     r1, #1
        ldrne   r3, =WHITE
        ldreq   r3, =GREY
        mov     r0, #88
        add     r0, r0, r7, lsl #3      @ x
        mov     r1, #16                 @ y
        bl      fill_box
        add     r7, r7, #1
        cmp     r7, #8
        bne     6b

        @ The square: object 0, one 8x8 tile of colour 1 of object palette 0.
        ldr     r0, =(PALETTE + 0x200)
        ldr     r1, =(RED << 16)
        str     r1, [r0]
        ldr     r0, =OBJ_TILES
        ldr     r1, =0x11111111
        mov     r2, #8
7:      str     r1, [r0], #4
        subs    r2, r2, #1
        bne     7b
        @ Every other object off.
        ldr     r0, =OAM
        mov     r1, #0x200
        mov     r2, #128
8:      strh    r1, [r0], #8
        subs    r2, r2, #1
        bne     8b
        mov     r8, #116                @ square x
        mov     r9, #76                 @ square y
        bl      place_square

        mov     r0, #IO
        ldr     r1, =0x1443             @ bitmap mode 3, its layer and objects, 1D object tiles
        strh    r1, [r0]

main:
        mov     r0, #IO
9:      ldrh    r1, [r0, #VCOUNT]       @ wait for the vertical blank
        cmp     r1, #160
        bne     9b
        bl      place_square
        ldr     r2, =(IO + KEYINPUT)    @ 0 means pressed: bit 4 right, 5 left, 6 up, 7 down
        ldrh    r1, [r2]
        mvn     r1, r1
        tst     r1, #0x10
        addne   r8, r8, #1
        tst     r1, #0x20
        subne   r8, r8, #1
        tst     r1, #0x40
        subne   r9, r9, #1
        tst     r1, #0x80
        addne   r9, r9, #1
10:     ldrh    r1, [r0, #VCOUNT]       @ one move a frame
        cmp     r1, #160
        beq     10b
        b       main

@ r0 x, r1 y, r3 colour: an 8x8 box in the bitmap.
fill_box:
        ldr     r2, =VRAM
        mov     r10, #480
        mla     r2, r1, r10, r2
        add     r2, r2, r0, lsl #1
        mov     r10, #8
11:     mov     r11, #8
        mov     r12, r2
12:     strh    r3, [r12], #2
        subs    r11, r11, #1
        bne     12b
        add     r2, r2, #480
        subs    r10, r10, #1
        bne     11b
        bx      lr

@ Object 0 at (r8, r9): 8x8, colour tiles from 512 (the first tile above the bitmap).
place_square:
        ldr     r2, =OAM
        and     r3, r9, #0xFF
        strh    r3, [r2]
        ldr     r1, =0x1FF
        and     r3, r8, r1
        strh    r3, [r2, #2]
        mov     r3, #512
        strh    r3, [r2, #4]
        bx      lr

signature:
        .ascii  "RLCD"
        .align  2
        .pool
