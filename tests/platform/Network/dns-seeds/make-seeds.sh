#!/usr/bin/env bash
# Makes the seeds of the DNS answer fuzzer in this folder: answers to the query for
# "media.example" (the name the fuzzer asks) of each kind the reader tells apart. Run
# again only to change them; the files are kept in the repository.
set -euo pipefail
cd "$(dirname "$0")"

header() { # flags answers authorities
  printf '\x00\x00%b\x00\x01\x00%b\x00%b\x00\x00' "$1" "$2" "$3"
}
question() { # type
  printf '\x05media\x07example\x00\x00%b\x00\x01' "$1"
}
pointer='\xc0\x0c' # the question's name

# Two A records of the name.
{ header '\x81\x80' '\x02' '\x00'; question '\x01'
  printf "${pointer}"'\x00\x01\x00\x01\x00\x00\x01\x2c\x00\x04\x7f\x00\x00\x01'
  printf "${pointer}"'\x00\x01\x00\x01\x00\x00\x00\x3c\x00\x04\x0a\x00\x00\x02'
} >address.bin

# The name is an alias of edge.cdn.example, which has an AAAA record.
{ header '\x81\x80' '\x02' '\x00'; question '\x1c'
  printf "${pointer}"'\x00\x05\x00\x01\x00\x00\x00\x1e\x00\x0b\x04edge\x03cdn\xc0\x12'
  printf '\xc0\x2b\x00\x1c\x00\x01\x00\x00\x01\x2c\x00\x10\x20\x01\x0d\xb8\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x01'
} >alias.bin

# No such name, with the SOA of its authority.
{ header '\x81\x83' '\x00' '\x01'; question '\x01'
  printf '\xc0\x12\x00\x06\x00\x01\x00\x00\x03\x84\x00\x21\x02ns\xc0\x12\x05admin\xc0\x12'
  printf '\x00\x00\x00\x01\x00\x00\x00\x02\x00\x00\x00\x03\x00\x00\x00\x04\x00\x00\x00\x2d'
} >no-name.bin

# The resolver failed (SERVFAIL), with no records: 31 bytes.
{ header '\x81\x82' '\x00' '\x00'; question '\x01'; } >servfail.bin

# The name is an alias of the root name: 44 bytes.
{ header '\x81\x80' '\x01' '\x00'; question '\x01'
  printf "${pointer}"'\x00\x05\x00\x01\x00\x00\x00\x3c\x00\x01\x00'
} >alias-to-root.bin
