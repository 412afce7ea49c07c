object startfenster: Tstartfenster
  Caption = 'Playlist '#214'ffnen'
  ClientWidth = 400
  ClientHeight = 300
  FormStyle = fsStayOnTop
  Position = poScreenCenter
  OnCreate = FormCreate
  OnClose = FormClose
end
