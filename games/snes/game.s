; Relicade SNES test game: a blue screen, a row of eight boxes showing how often the game was
; started (kept in battery memory) and a red square the pad moves.
.p816
.smart

INIDISP = $2100
OBSEL   = $2101
OAMADDL = $2102
OAMDATA = $2104
BGMODE  = $2105
BG1SC   = $2107
BG12NBA = $210B
BG1HOFS = $210D
BG1VOFS = $210E
VMAIN   = $2115
VMADDL  = $2116
VMDATAL = $2118
VMDATAH = $2119
CGADD   = $2121
CGDATA  = $2122
TM      = $212C
NMITIMEN = $4200
HVBJOY  = $4212
JOY1H   = $4219
SAVE    = $700000           ; battery memory: "RLCD" then the start counter

.segment "BSS"
frame_ready: .res 1
sprite_x:    .res 1
sprite_y:    .res 1

.segment "CODE"
signature: .byte "RLCD"
; 2 bits a pixel: tile 0 blank, tile 1 solid colour 3, tile 2 solid colour 1.
bg_tiles:
    .res 16, 0
    .res 16, $FF
    .byte $FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0
; 4 bits a pixel: the square, solid colour 1.
obj_tile:
    .byte $FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0,$FF,0
    .res 16, 0
; Background blue, box colours dark grey and white; the square red (15-bit, red in the low bits).
bg_colours:  .word $7C00, $294A, $294A, $7FFF
obj_colours: .word $0000, $001F

reset:
    sei
    clc
    xce                     ; native 65816 mode
    rep #$10
    sep #$20
    .a8
    .i16
    ldx #$1FFF
    txs
    lda #$80                ; screen off while it is drawn
    sta INIDISP
    stz NMITIMEN
    pea $0000               ; data bank 0
    plb
    plb

    stz BGMODE              ; mode 0: four 2-bit layers, the first one used
    lda #$04                ; layer 1 map at word $0400
    sta BG1SC
    stz BG12NBA             ; layer 1 tiles at word $0000
    lda #$01                ; objects 8x8, tiles at word $2000
    sta OBSEL
    stz BG1HOFS
    stz BG1HOFS
    lda #$FF                ; the layer's first line is shown one line down: scroll by -1
    sta BG1VOFS
    lda #$03
    sta BG1VOFS
    lda #$80                ; video address steps after the high byte
    sta VMAIN

    ; Tiles
    ldx #$0000
    stx VMADDL
    ldx #0
@bg_tiles:
    lda bg_tiles, x
    sta VMDATAL
    lda bg_tiles+1, x
    sta VMDATAH
    inx
    inx
    cpx #48
    bne @bg_tiles
    ldx #$2000
    stx VMADDL
    ldx #0
@obj_tile:
    lda obj_tile, x
    sta VMDATAL
    lda obj_tile+1, x
    sta VMDATAH
    inx
    inx
    cpx #32
    bne @obj_tile

    ; Layer 1 map: all blank
    ldx #$0400
    stx VMADDL
    ldx #1024
@clear_map:
    stz VMDATAL
    stz VMDATAH
    dex
    bne @clear_map

    ; Battery memory: a missing signature means a fresh cartridge, so the counter starts at zero.
    ldx #0
@check:
    lda f:SAVE, x
    cmp signature, x
    bne @fresh
    inx
    cpx #4
    bne @check
    bra @count
@fresh:
    ldx #0
@sign:
    lda signature, x
    sta f:SAVE, x
    inx
    cpx #4
    bne @sign
    lda #0
    sta f:SAVE+4
@count:
    lda f:SAVE+4
    inc a
    sta f:SAVE+4

    ; The counter: eight boxes on tile row 4 from column 12, highest bit first (1 lit, 2 unlit).
    ldx #($0400 + 4 * 32 + 12)
    stx VMADDL
    ldy #8
@bits:
    asl a
    pha
    lda #2
    bcc @unlit
    lda #1
@unlit:
    sta VMDATAL
    stz VMDATAH
    pla
    dey
    bne @bits

    ; Colours
    stz CGADD
    ldx #0
@bg_colours:
    lda bg_colours, x
    sta CGDATA
    inx
    cpx #8
    bne @bg_colours
    lda #128
    sta CGADD
    ldx #0
@obj_colours:
    lda obj_colours, x
    sta CGDATA
    inx
    cpx #4
    bne @obj_colours

    ; Objects: all but the square below the screen; the high table all zero.
    ldx #0
    stx OAMADDL
    ldx #128
@oam:
    stz OAMDATA
    lda #$F0
    sta OAMDATA
    stz OAMDATA
    stz OAMDATA
    dex
    bne @oam
    ldx #32
@oam_high:
    stz OAMDATA
    dex
    bne @oam_high

    lda #124
    sta sprite_x
    lda #108
    sta sprite_y
    jsr place_sprite

    lda #$11                ; layer 1 and objects on the main screen
    sta TM
    lda #$0F                ; screen on, full brightness
    sta INIDISP
    lda #$81                ; vertical-blank interrupt and the automatic pad read
    sta NMITIMEN

main:
    lda frame_ready
    beq main
    stz frame_ready
    jsr place_sprite
@pad_busy:
    lda HVBJOY
    and #$01
    bne @pad_busy
    lda JOY1H               ; B Y Select Start Up Down Left Right
    bit #$08
    beq :+
    dec sprite_y
:   bit #$04
    beq :+
    inc sprite_y
:   bit #$02
    beq :+
    dec sprite_x
:   bit #$01
    beq :+
    inc sprite_x
:   jmp main

place_sprite:
    ldx #0
    stx OAMADDL
    lda sprite_x
    sta OAMDATA
    lda sprite_y
    sta OAMDATA
    stz OAMDATA             ; tile 0
    lda #$30                ; in front of every layer, palette 0
    sta OAMDATA
    rts

nmi:
    rep #$20
    sep #$20
    pha
    lda $4210               ; acknowledge
    lda #1
    sta frame_ready
    pla
    rti

irq:
    rti

.segment "HEADER"
    .byte "RELICADE TEST GAME   "   ; title, 21 bytes
    .byte $20                       ; LoROM
    .byte $02                       ; program, memory and battery
    .byte $05                       ; 32 KiB of program
    .byte $01                       ; 2 KiB of battery memory
    .byte $01                       ; sold outside Japan
    .byte $00                       ; maker
    .byte $00                       ; version
    .word $FFFF, $0000              ; checksum complement and checksum (fix_header.py)

.segment "VECTORS"
    .word 0, 0, irq, irq, irq, nmi, 0, irq      ; native mode: -, -, COP, BRK, ABORT, NMI, -, IRQ
    .word 0, 0, irq, 0, irq, nmi, reset, irq    ; emulation mode: -, -, COP, -, ABORT, NMI, RESET, IRQ
